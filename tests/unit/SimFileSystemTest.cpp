// The simulated file system must behave like Windows where the program relies on it.
#include <gtest/gtest.h>

#include "platform/Wildcard.h"
#include "platform/sim/SimFileSystem.h"

namespace td::sim {
namespace {

std::vector<std::string> ListAll(FileSystem& fs, const std::string& pattern) {
  std::vector<std::string> names;
  auto listing = fs.List(pattern);
  while (auto name = listing->Next()) names.push_back(*name);
  return names;
}

TEST(Wildcards, TrailingQuestionMarksAcceptFewerCharactersButNoDot) {
  for (const char* name : {"a0001", "A12", "a", "abcd"}) EXPECT_TRUE(MatchesWildcard("a????", name)) << name;
  for (const char* name : {"a00001", "a0001.jpg", "b0001", "a.jp", "abcdef"}) {
    EXPECT_FALSE(MatchesWildcard("a????", name)) << name;
  }
  for (const char* name : {"x", ".", "..", "a.b.c", "noext"}) EXPECT_TRUE(MatchesWildcard("*.*", name)) << name;
  EXPECT_TRUE(MatchesWildcard("*.JPG", "a0001c.jpg"));
  EXPECT_FALSE(MatchesWildcard("?b", "b"));
}

TEST(SimFiles, ListingsFollowWindowsRules) {
  SimFileSystem fs;
  fs.AddFile("C:\\M\\zeta.txt", "");
  fs.AddFolder("C:\\M\\Alpha");
  fs.AddFile("C:\\M\\hidden", "", attr::kHidden);
  fs.AddFile("C:\\M\\system", "", attr::kSystem);
  EXPECT_EQ(ListAll(fs, "C:\\M\\*.*"), (std::vector<std::string>{".", "..", "zeta.txt", "Alpha"}));
  fs.Reorder("C:\\M", {"alpha"});
  EXPECT_EQ(ListAll(fs, "c:\\m\\*.*"), (std::vector<std::string>{".", "..", "Alpha", "zeta.txt"}));
  EXPECT_EQ(ListAll(fs, "C:\\*.*"), (std::vector<std::string>{"M"})) << "a drive root has no dot entries";
  EXPECT_TRUE(ListAll(fs, "C:\\Missing\\*.*").empty());
  EXPECT_EQ(ListAll(fs, "C:\\M\\ALPHA\\..\\z*"), (std::vector<std::string>{"zeta.txt"}));
}

TEST(SimFiles, AccessControlDeniesWhatWindowsWouldDeny) {
  SimFileSystem fs;
  fs.AddFile("C:\\M\\locked.txt", "keep", attr::kReadOnly);
  fs.AddFolder("C:\\Frozen");
  fs.SetAccess("C:\\Frozen", {.list = true, .change = false});
  fs.AddFolder("C:\\Secret");
  fs.SetAccess("C:\\Secret", {.list = false, .change = true});
  auto number = [](auto action) {
    try {
      action();
    } catch (const RunError& error) {
      return error.Number();
    }
    return 0;
  };
  EXPECT_EQ(number([&] { fs.WriteBytes("C:\\M\\locked.txt", "x"); }), err::kPathFileAccess);
  EXPECT_EQ(number([&] { fs.RemoveFile("C:\\M\\locked.txt", IfMissing::kIgnore); }), err::kPathFileAccess);
  EXPECT_EQ(number([&] { fs.WriteBytes("C:\\Frozen\\new.txt", "x"); }), err::kPathFileAccess);
  EXPECT_EQ(number([&] { fs.MakeFolder("C:\\Frozen\\sub"); }), err::kPathFileAccess);
  EXPECT_EQ(number([&] { fs.List("C:\\Frozen\\*.*")->Next(); }), 0);
  EXPECT_EQ(number([&] { fs.List("C:\\Secret\\*.*"); }), err::kPathFileAccess);
  EXPECT_EQ(number([&] { fs.WriteBytes("C:\\Secret\\new.txt", "x"); }), 0);
  EXPECT_EQ(fs.ReadBytes("c:\\m\\LOCKED.TXT"), "keep");
}

TEST(SimFiles, CopyTreeActsLikeXcopy) {
  SimFileSystem fs;
  fs.AddFile("C:\\S\\data\\a1\\a1c.jpg", "new");
  fs.AddFile("C:\\S\\data\\music \\song.mp3", "m");
  fs.AddFolder("C:\\S\\data\\emptyfolder");
  fs.AddFile("D:\\H\\a1\\a1c.jpg", "old");
  fs.AddFile("D:\\H\\keep.jpg", "k");
  fs.CopyTree("C:\\S\\data", "D:\\H\\", {"music "});
  EXPECT_EQ(fs.Snapshot("D:\\H"), (std::map<std::string, std::string>{{"a1\\a1c.jpg", "new"}, {"keep.jpg", "k"}}));
  EXPECT_FALSE(fs.Exists("D:\\H\\emptyfolder"));
}

}  // namespace
}  // namespace td::sim
