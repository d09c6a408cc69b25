#include <gtest/gtest.h>

#include <vector>

#include "launcher/CommandLine.h"
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

}  // namespace
}  // namespace td
