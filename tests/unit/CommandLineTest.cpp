#include <gtest/gtest.h>

#include <vector>

#include "launcher/CommandLine.h"
#include "platform/ProgramCall.h"
#include "platform/RunError.h"

namespace td {
namespace {

using Args = std::vector<std::string>;

Args Split(const std::string& tail, int maxArgs = 10) { return SplitCommandTail(tail, '"', maxArgs); }

// Element 0 is always there and empty; the arguments follow.
Args Expect(Args args) {
  args.insert(args.begin(), "");
  return args;
}

TEST(CommandLine, WorkedExamples) {
  EXPECT_EQ(Split(""), Expect({}));
  EXPECT_EQ(Split(R"(C:\Sets\GoldSet)"), Expect({R"(C:\Sets\GoldSet)"}));
  EXPECT_EQ(Split(R"("C:\Card Sets\GoldSet")"), Expect({R"(C:\Card Sets\GoldSet)"}));
  EXPECT_EQ(Split(R"(C:\Card Sets\GoldSet)"), Expect({R"(C:\Card Sets\GoldSet)"}));
  EXPECT_EQ(Split("a/b"), Expect({"a", "b"}));
  EXPECT_EQ(Split("a\tb"), Expect({"a", "b"}));
  EXPECT_EQ(Split("a//b/"), Expect({"a", "b"}));
  EXPECT_EQ(Split(R"("a/b")"), Expect({"a/b"}));
  EXPECT_EQ(Split(R"(ab"cd"ef)"), Expect({"abcdef"}));
  EXPECT_EQ(Split(R"("a" "b")"), Expect({"a b"}));
  EXPECT_EQ(Split(R"("")"), Expect({}));
  EXPECT_EQ(Split("a/b/d", 2), Expect({"a", "b"}));
  EXPECT_EQ(Split("a/b", 1), Expect({"a"}));
}

TEST(CommandLine, SeparatorsQuotesAndLimits) {
  EXPECT_EQ(Split("   "), Expect({"   "})) << "a blank is no separator";
  EXPECT_EQ(Split("//\t/"), Expect({})) << "separators alone make no argument";
  EXPECT_EQ(Split(R"("a/b)"), Expect({"a/b"})) << "an unbalanced quote runs to the end";
  EXPECT_EQ(Split(R"(a""/b)"), Expect({"a", "b"}));
  EXPECT_EQ(Split("anything/at/all", 0), Expect({}));
  EXPECT_EQ(Split("\"C:\\Caf\xC3\xA9 Sets\\Gold\""), Expect({"C:\\Caf\xC3\xA9 Sets\\Gold"}));
  EXPECT_THROW(Split("a", -1), RunError);
}

// For a program that splits quoted words at their blanks: each such word in its short
// form, where it has one without a blank; the rest of the line as it was.
TEST(CommandLine, QuotedWordsWithBlanksInTheirShortForm) {
  const auto shortForm = [](const std::string& word) -> std::optional<std::string> {
    if (word == R"(C:\Card Sets\Gold\data)") return R"(C:\CARDSE~1\Gold\data)";
    if (word == R"(D:\Host  Data\)") return R"(D:\HOSTDA~1\)";
    if (word == R"(C:\No Short\)") return R"(C:\No Short\)";  // a volume without them
    return std::nullopt;
  };
  const struct {
    const char* line;
    const char* given;
  } rows[] = {
      {R"(Xcopy /s /y "C:\Card Sets\Gold\data" "D:\Host  Data\")",
       R"(Xcopy /s /y "C:\CARDSE~1\Gold\data" "D:\HOSTDA~1\")"},
      {"  Xcopy  \"C:\\Plain\\data\"\t\"C:\\No Short\\\" ", "  Xcopy  \"C:\\Plain\\data\"\t\"C:\\No Short\\\" "},
      {R"(Xcopy C:\Card Sets\Gold\data "C:\Unknown Here\")",
       R"(Xcopy C:\Card Sets\Gold\data "C:\Unknown Here\")"},
      {R"(Xcopy "C:\Card Sets\Gold\data)", R"(Xcopy "C:\Card Sets\Gold\data)"},
  };
  for (const auto& row : rows) EXPECT_EQ(WithoutBlanksInWords(row.line, shortForm), row.given) << row.line;
}

}  // namespace
}  // namespace td
