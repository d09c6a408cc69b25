// The fixture of every platform contract test: a fresh target and its scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ContractTarget.h"

namespace td::contract {

// A 16 x 8 JPEG picture, made with ImageMagick.
inline const std::string& TinyJpeg() {
  static const std::string jpeg(
      "\xFF\xD8\xFF\xE0\x00\x10\x4A\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xFF\xDB"
      "\x00\x43\x00\x03\x02\x02\x03\x02\x02\x03\x03\x03\x03\x04\x03\x03\x04\x05\x08\x05\x05\x04"
      "\x04\x05\x0A\x07\x07\x06\x08\x0C\x0A\x0C\x0C\x0B\x0A\x0B\x0B\x0D\x0E\x12\x10\x0D\x0E\x11"
      "\x0E\x0B\x0B\x10\x16\x10\x11\x13\x14\x15\x15\x15\x0C\x0F\x17\x18\x16\x14\x18\x12\x14\x15"
      "\x14\xFF\xDB\x00\x43\x01\x03\x04\x04\x05\x04\x05\x09\x05\x05\x09\x14\x0D\x0B\x0D\x14\x14"
      "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
      "\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14\x14"
      "\x14\x14\x14\x14\xFF\xC0\x00\x11\x08\x00\x08\x00\x10\x03\x01\x11\x00\x02\x11\x01\x03\x11"
      "\x01\xFF\xC4\x00\x15\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x07\xFF\xC4\x00\x14\x10\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\xFF\xC4\x00\x16\x01\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x07\x08\xFF\xC4\x00\x14\x11\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x00\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00\x93\xA4\x8D\xA0"
      "\x03\xFF\xD9",
      289);
  return jpeg;
}

// The tiny picture with a frame header that claims another size: a card of that size as
// far as the header tells (its pixels do not decode).
inline std::string JpegClaiming(int width, int height) {
  std::string jpeg = TinyJpeg();
  const char size[] = {static_cast<char>(height >> 8), static_cast<char>(height & 0xFF),
                       static_cast<char>(width >> 8), static_cast<char>(width & 0xFF)};
  jpeg.replace(jpeg.find("\xFF\xC0\x00\x11\x08") + 5, 4, size, 4);
  return jpeg;
}

class Contract : public ::testing::Test {
 protected:
  Contract()
      : target(MakeContractTarget()),
        files(target->Machine().FileSystem()),
        system(target->Machine().System()),
        screen(target->Machine().Screen()),
        pictures(target->Machine().Pictures()),
        dir(target->Scratch()) {}

  // The number of the RunError that the action throws, or 0 when it throws none.
  static int ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const RunError& error) {
      return error.Number();
    }
    return 0;
  }

  // Every name a listing yields, sorted: the order itself is the file system's own.
  std::vector<std::string> Listed(const std::string& pattern) {
    std::vector<std::string> names;
    auto listing = files.List(pattern);
    while (auto name = listing->Next()) names.push_back(*name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<ContractTarget> target;
  FileSystem& files;
  System& system;
  Screen& screen;
  Pictures& pictures;
  std::string dir;
};

}  // namespace td::contract
