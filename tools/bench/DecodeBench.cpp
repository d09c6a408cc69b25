// decode_bench.exe: decodes the card pictures of a host's data folder the way the card
// viewer finds and loads them (same listing, same loader), inserting nothing, and
// prints how long that took. The viewer benchmark sets the fill against it.
//   decode_bench.exe HOST-DATA-FOLDER\      (the folder ends in a backslash)
#include <chrono>
#include <cstdio>
#include <string>

#include "host/HostLayout.h"
#include "platform/win32/Win32Platform.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: decode_bench HOST-DATA-FOLDER\\\n", stderr);
    return 2;
  }
  const std::string host = argv[1];
  auto platform = td::CreateWin32Platform();
  const auto start = std::chrono::steady_clock::now();
  int pictures = 0;
  for (const char* pattern : td::kCardFolderPatterns) {
    auto listing = platform->Files().List(host + pattern);
    while (auto card = listing->Next()) {
      if (*card == "." || *card == "..") continue;
      platform->Screen().LoadPicture(td::CardPicturePath(host, *card));  // and let it go
      ++pictures;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("{\"pictures\": %d, \"seconds\": %.4f}\n", pictures, seconds);
  return 0;
}
