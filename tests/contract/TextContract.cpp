// What both platforms promise about the 8-bit text of files and the console: the ANSI
// code page 1252 and the console's code page 437 of a Western machine, the machine the
// program is made for and tested on.
#include "ContractTest.h"

namespace td::contract {
namespace {

TEST_F(Contract, AnsiTextRoundTripsEveryLetterOfItsCodePage) {
  EXPECT_EQ(system.DecodeAnsiText("Caf\xE9 \x80 \x9C"), "Caf\xC3\xA9 \xE2\x82\xAC \xC5\x93");
  EXPECT_EQ(system.EncodeAnsiText("Caf\xC3\xA9 \xE2\x82\xAC \xC5\x93"), "Caf\xE9 \x80 \x9C");
  std::string all;
  for (int byte = 0x20; byte <= 0xFF; ++byte) {
    if (byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D) continue;
    all += static_cast<char>(byte);
  }
  EXPECT_EQ(system.EncodeAnsiText(system.DecodeAnsiText(all)), all);
}

TEST_F(Contract, ConsoleTextIsTheConsolesCodePage) {
  EXPECT_EQ(system.DecodeConsoleText("Vid\x82o \x85 \x81"), "Vid\xC3\xA9o \xC3\xA0 \xC3\xBC");
  EXPECT_EQ(system.EncodeConsoleText("Vid\xC3\xA9o \xC3\xA0 \xC3\xBC"), "Vid\x82o \x85 \x81");
  std::string all;
  for (int byte = 0x20; byte <= 0xFF; ++byte) all += static_cast<char>(byte);
  EXPECT_EQ(system.EncodeConsoleText(system.DecodeConsoleText(all)), all);
}

TEST_F(Contract, LettersACodePageLacksBecomeQuestionMarks) {
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC";  // two letters
  EXPECT_EQ(system.EncodeAnsiText("x" + japanese + "y"), "x??y");
  EXPECT_EQ(system.EncodeConsoleText("x" + japanese + "y"), "x??y");
  EXPECT_EQ(system.EncodeConsoleText("\xE2\x82\xAC"), "?") << "the euro sign is not in 437";
}

TEST_F(Contract, UnassignedAnsiBytesKeepTheirPlace) {
  // Five bytes of 1252 name no letter; Windows maps each to the control character of
  // the same number, so that nothing is lost.
  EXPECT_EQ(system.DecodeAnsiText("\x81\x8D\x8F\x90\x9D"),
            "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
}

TEST_F(Contract, TextThatIsNoUtf8IsRefused) {
  EXPECT_NE(ErrorOf([&] { system.EncodeAnsiText("bad \xFF byte"); }), 0);
  EXPECT_NE(ErrorOf([&] { system.EncodeConsoleText("cut \xC3"); }), 0);
  EXPECT_NE(ErrorOf([&] { files.WriteBytes(dir + "bad \xFF name.txt", "x"); }), 0);
  EXPECT_NE(ErrorOf([&] { system.EncodeAnsiText("a\xE0\x81\x9C"); }), 0) << "an overlong \\";
  EXPECT_NE(ErrorOf([&] { files.WriteBytes(dir + "up\xC0\xAE\xC0\xAE.txt", "x"); }), 0)
      << "an overlong ..";
  EXPECT_NE(ErrorOf([&] { system.EncodeConsoleText("\xF4\x90\x80\x80"); }), 0) << "beyond U+10FFFF";
  EXPECT_NE(ErrorOf([&] { system.EncodeAnsiText("\xED\xA0\x80"); }), 0) << "a lone surrogate";
  EXPECT_EQ(ErrorOf([&] { system.EncodeConsoleText("\xF0\x9F\x82\xA1"); }), 0) << "U+1F0A1 is text";
}

}  // namespace
}  // namespace td::contract
