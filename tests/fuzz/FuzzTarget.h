// What every fuzz target shares: the entry point libFuzzer calls (and the replay of a
// corpus without it), a check that stops the process on a broken promise, and the
// split of one input into the fields a target hands on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
#define TD_FUZZ_TARGET extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)

namespace td::fuzz {

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A finding: libFuzzer keeps the input that made it, the replay names it.
inline void Require(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken promise: %s\n", promise);
  std::abort();
}

// The input's fields, separated by NUL bytes (which no name, command tail or registry
// text holds); missing fields are empty.
inline std::vector<std::string> Fields(std::string_view input, std::size_t least) {
  std::vector<std::string> fields;
  for (std::size_t start = 0;;) {
    const std::size_t end = input.find('\0', start);
    fields.emplace_back(input.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  if (fields.size() < least) fields.resize(least);
  return fields;
}

}  // namespace td::fuzz
