// A range of cards copied out of the view, as the RTF document other programs are
// handed: byte for byte as the program has always written it.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/RtfText.h"

namespace td {
namespace {

// A picture file of 72 bytes: a line break in the hex after the 64th.
const std::string kLongFile =
    std::string("\xFF\xD8\xFF\xC0\x00\x08\x08\x00\x03\x00\x05\x01", 12) + std::string(60, 'x');
const std::string kShortFile("\xFF\xD8\xFF\xC0\x00\x08\x08\x00\x01\x00\x25\x01", 12);

TEST(RtfText, ACopiedRangeIsOneDocumentOfPictures) {
  RtfDocument document;
  document.AddJpeg(kLongFile, 132, 79);   // 5 x 3 pixels at 100 %
  document.AddJpeg(kShortFile, 979, 26);  // 37 x 1
  document.AddJpeg("", 979, 26);          // a picture whose file could not be made
  EXPECT_EQ(std::move(document).Finish(),
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\n"
            "{\\pict\\jpegblip\\picw5\\pich3\\picwgoal75\\pichgoal45\n"
            "ffd8ffc0000808000300050178787878787878787878787878787878787878787878787878787878"
            "787878787878787878787878787878787878787878787878\n"
            "7878787878787878}{\\pict\\jpegblip\\picw37\\pich1\\picwgoal555\\pichgoal15\n"
            "ffd8ffc00008080001002501}}");
}

}  // namespace
}  // namespace td
