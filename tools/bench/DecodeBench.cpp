// decode_bench.exe: decodes the card pictures of a host's data folder the way the card
// viewer finds and reads them (same listing, same reader, then the decoder the view
// draws with), inserting nothing, and prints how long that took. The viewer benchmark
// sets the fill against it: decoding every card once.
//   decode_bench.exe HOST-DATA-FOLDER\      (the folder ends in a backslash)
#include <chrono>
#include <cstdio>
#include <string>

#include "host/HostLayout.h"
#include "platform/win32/Win32Picture.h"
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
    auto listing = platform->FileSystem().List(host + pattern);
    while (auto card = listing->Next()) {
      if (*card == "." || *card == "..") continue;
      const auto picture = td::win32::ReadPictureFile(td::CardPicturePath(host, *card));
      const auto bytes = td::win32::ReadPictureBytes(*picture);
      if (bytes && td::win32::DecodePicture(*bytes, picture->width, picture->height)) {
        ++pictures;  // and let it go
      }
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("{\"pictures\": %d, \"seconds\": %.4f}\n", pictures, seconds);
  return 0;
}
