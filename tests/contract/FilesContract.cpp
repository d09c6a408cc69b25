// What both platforms promise about files and folders.
#include "ContractTest.h"

namespace td::contract {
namespace {

using Names = std::vector<std::string>;

TEST_F(Contract, FilesHoldExactlyTheBytesWritten) {
  const char raw[] = "line one\r\nzero \0 byte, high \xFF\xE9 bytes\r\n";
  const std::string bytes(raw, sizeof raw - 1);
  files.WriteBytes(dir + "data.bin", bytes);
  EXPECT_EQ(files.ReadBytes(dir + "data.bin"), bytes);
  EXPECT_EQ(files.FileSize(dir + "data.bin"), bytes.size());
  files.WriteBytes(dir + "data.bin", "short");
  EXPECT_EQ(files.ReadBytes(dir + "data.bin"), "short") << "a rewrite leaves nothing behind";
  files.WriteBytes(dir + "empty.txt", "");
  EXPECT_EQ(files.ReadBytes(dir + "empty.txt"), "");
  EXPECT_EQ(files.ReadBytes(dir + "DATA.BIN"), "short") << "names ignore letter case";
  EXPECT_EQ(files.ReadHead(dir + "data.bin", 3), "sho");
  EXPECT_EQ(files.ReadHead(dir + "data.bin", 1000), "short") << "a short file comes whole";
  EXPECT_EQ(ErrorOf([&] { files.ReadHead(dir + "missing.txt", 10); }), err::kFileNotFound);
  files.WriteBytes(dir + "copy.bin", "an older and longer content");
  files.Copy(dir + "data.bin", dir + "copy.bin");
  EXPECT_EQ(files.ReadBytes(dir + "copy.bin"), "short") << "a copy replaces what was there";
}

TEST_F(Contract, ReadingAndWritingFailWithTheClassicNumbers) {
  files.MakeFolder(dir + "folder");
  EXPECT_EQ(ErrorOf([&] { files.ReadBytes(dir + "missing.txt"); }), err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files.ReadBytes(dir + "folder"); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { files.WriteBytes(dir + "folder", "x"); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { files.WriteBytes(dir + "no folder\\x.txt", "x"); }),
            err::kPathNotFound);
  EXPECT_EQ(ErrorOf([&] { files.FileSize(dir + "missing.txt"); }), err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files.Copy(dir + "missing.txt", dir + "x.txt"); }),
            err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files.Attributes(dir + "missing.txt"); }), err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files.Attributes(dir + "no folder\\missing.txt"); }),
            err::kFileNotFound);
}

TEST_F(Contract, ReadOnlyFilesRefuseChangesReadOnlyFoldersDoNot) {
  files.WriteBytes(dir + "locked.txt", "keep");
  target->SetAttributes(dir + "locked.txt", attr::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { files.WriteBytes(dir + "locked.txt", "x"); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { files.RemoveFile(dir + "locked.txt", IfMissing::kIgnore); }),
            err::kPathFileAccess);
  files.WriteBytes(dir + "other.txt", "other");
  EXPECT_EQ(ErrorOf([&] { files.Copy(dir + "other.txt", dir + "locked.txt"); }),
            err::kPathFileAccess);
  EXPECT_EQ(files.ReadBytes(dir + "locked.txt"), "keep");
  EXPECT_EQ(files.Attributes(dir + "locked.txt") & attr::kReadOnly, attr::kReadOnly);

  // The read-only bit of a folder protects nothing on Windows: the folder takes new
  // files and folders. (Wine run by a user other than root refuses them: it turns the
  // bit into the Unix folder's permissions.)
  files.MakeFolder(dir + "frozen");
  target->SetAttributes(dir + "frozen", attr::kReadOnly);
  EXPECT_EQ(ErrorOf([&] { files.WriteBytes(dir + "frozen\\new.txt", "x"); }), 0);
  EXPECT_EQ(ErrorOf([&] { files.MakeFolder(dir + "frozen\\sub"); }), 0);
  target->SetAttributes(dir + "frozen", 0);
}

TEST_F(Contract, HiddenAndSystemEntriesAreNoPlainFiles) {
  files.WriteBytes(dir + "shown.txt", "a");
  files.WriteBytes(dir + "hidden.txt", "b");
  files.WriteBytes(dir + "system.txt", "c");
  target->SetAttributes(dir + "hidden.txt", attr::kHidden);
  target->SetAttributes(dir + "system.txt", attr::kSystem);
  files.MakeFolder(dir + "folder");
  EXPECT_TRUE(files.IsPlainFile(dir + "shown.txt"));
  EXPECT_FALSE(files.IsPlainFile(dir + "hidden.txt"));
  EXPECT_FALSE(files.IsPlainFile(dir + "system.txt"));
  EXPECT_FALSE(files.IsPlainFile(dir + "folder"));
  EXPECT_FALSE(files.IsPlainFile(dir + "missing.txt"));
  EXPECT_EQ(files.Attributes(dir + "hidden.txt") & attr::kHidden, attr::kHidden);
  EXPECT_EQ(files.Attributes(dir + "folder") & attr::kDirectory, attr::kDirectory);
  EXPECT_EQ(files.Attributes(dir + "shown.txt") & (attr::kDirectory | attr::kHidden), 0u);
  EXPECT_EQ(files.ReadBytes(dir + "hidden.txt"), "b") << "hidden files can still be read";
}

TEST_F(Contract, FoldersAreToldFromFilesAndBadNamesAreNeither) {
  files.MakeFolder(dir + "folder");
  files.WriteBytes(dir + "file.txt", "x");
  EXPECT_TRUE(files.IsFolder(dir + "folder"));
  EXPECT_TRUE(files.IsFolder(dir + "FOLDER\\"));
  EXPECT_FALSE(files.IsFolder(dir + "file.txt"));
  EXPECT_FALSE(files.IsFolder(dir + "missing"));
  EXPECT_FALSE(files.IsFolder(dir + "bad|name"));
  EXPECT_FALSE(files.IsPlainFile(dir + "bad|name"));
  EXPECT_FALSE(files.IsFolder(dir + "?"));
}

TEST_F(Contract, AShortPathNamesTheSameFolderInPlainAscii) {
  files.MakeFolder(dir + "Jeux Vid\xC3\xA9o 100%");
  files.MakeFolder(dir + "Jeux Vid\xC3\xA9o 100%\\saveorig");
  const auto shortForm = files.ShortPath(dir + "Jeux Vid\xC3\xA9o 100%\\");
  if (!shortForm) return;  // a volume that keeps no short names: nothing to promise
  EXPECT_EQ(shortForm->back(), '\\');
  for (const char c : *shortForm) {
    EXPECT_TRUE(c > ' ' && static_cast<unsigned char>(c) < 0x7F && c != '%') << *shortForm;
  }
  EXPECT_TRUE(files.IsFolder(*shortForm + "saveorig"));
  EXPECT_FALSE(files.ShortPath(dir + "missing\\"));
}

TEST_F(Contract, ListingsFollowTheWildcardRules) {
  for (const char* name : {"a0001", "A12", "a", "a00001", "abcdef", "b0001"}) {
    files.MakeFolder(dir + name);
  }
  files.WriteBytes(dir + "a0001.jpg", "x");
  files.WriteBytes(dir + "a0002", "a plain file");
  EXPECT_EQ(Listed(dir + "a????"), (Names{"A12", "a", "a0001", "a0002"}))
      << "a run of ? at the end also takes fewer characters, but no dot";
  EXPECT_EQ(Listed(dir + "*.jpg"), (Names{"a0001.jpg"}));
  EXPECT_EQ(Listed(dir + "A0001"), (Names{"a0001"})) << "letters match without regard to case";
  const Names all = Listed(dir + "*.*");
  EXPECT_EQ(all, (Names{".", "..", "A12", "a", "a00001", "a0001", "a0001.jpg", "a0002",
                        "abcdef", "b0001"}))
      << "*.* takes names without a dot too, and the folder's own dot entries";
}

TEST_F(Contract, ListingsLeaveOutHiddenEntriesAndNest) {
  files.WriteBytes(dir + "one.txt", "1");
  files.WriteBytes(dir + "two.txt", "2");
  files.WriteBytes(dir + "secret.txt", "3");
  target->SetAttributes(dir + "secret.txt", attr::kHidden);
  EXPECT_EQ(Listed(dir + "*.txt"), (Names{"one.txt", "two.txt"}));
  // Each listing keeps its own place: an inner one does not disturb the outer one.
  Names outer;
  auto listing = files.List(dir + "*.txt");
  while (auto name = listing->Next()) {
    outer.push_back(*name);
    EXPECT_EQ(Listed(dir + "*.txt").size(), 2u);
  }
  std::sort(outer.begin(), outer.end());
  EXPECT_EQ(outer, (Names{"one.txt", "two.txt"}));
}

TEST_F(Contract, MissingFoldersAndNoMatchListNothingBadNamesFail) {
  EXPECT_TRUE(Listed(dir + "no such folder\\*.*").empty());
  EXPECT_TRUE(Listed(dir + "nothing*").empty());
  files.WriteBytes(dir + "plain", "x");
  EXPECT_TRUE(Listed(dir + "plain\\data\\*.*").empty()) << "a file is no folder to list";
  EXPECT_EQ(ErrorOf([&] { Listed(dir + "bad|name\\*.*"); }), err::kBadFileName);
}

TEST_F(Contract, NamesBeyondAsciiAndLongNamesSurviveEveryCall) {
  const std::string accented = "Jeux Vid\xC3\xA9o \xC3\xBC\xC3\xB1\xC3\xAF";  // é ü ñ ï
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC \xE3\x82\xAB\xE3\x83\xBC\xE3\x83\x89";
  const std::string longName(200, 'n');
  for (const std::string& name : {accented, japanese, longName}) {
    files.MakeFolder(dir + name);
    files.WriteBytes(dir + name + "\\" + name + ".txt", name);
    EXPECT_EQ(files.ReadBytes(dir + name + "\\" + name + ".txt"), name);
    EXPECT_EQ(Listed(dir + name + "\\*.txt"), (Names{name + ".txt"}));
    files.ChangeFolder(dir + name);
    EXPECT_EQ(files.ReadBytes(name + ".txt"), name) << "relative to the current folder";
    files.ChangeFolder(dir);
  }
  Names expected = {".", "..", accented, japanese, longName};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Listed(dir + "*.*"), expected);
}

TEST_F(Contract, FoldersAreMadeOnceAndChangedInto) {
  files.MakeFolder(dir + "saveorig");
  EXPECT_EQ(ErrorOf([&] { files.MakeFolder(dir + "saveorig"); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { files.MakeFolder(dir + "no parent\\child"); }), err::kPathNotFound);
  files.ChangeFolder(dir);
  files.ChangeFolder("saveorig");
  files.MakeFolder(dir + "saveorig\\data");
  files.ChangeFolder("..");
  files.WriteBytes("saveorig\\data\\exclude.txt", "");
  EXPECT_TRUE(files.IsPlainFile(dir + "saveorig\\data\\exclude.txt"));
  EXPECT_EQ(ErrorOf([&] { files.ChangeFolder(dir + "missing"); }), err::kPathNotFound);
  files.WriteBytes(dir + "file.txt", "x");
  EXPECT_EQ(ErrorOf([&] { files.ChangeFolder(dir + "file.txt"); }), err::kPathNotFound);
}

TEST_F(Contract, RemovingAFileSaysWhetherNothingWasThere) {
  files.WriteBytes(dir + "scratch.bat", "x");
  files.RemoveFile(dir + "scratch.bat", IfMissing::kFail);
  EXPECT_FALSE(files.IsPlainFile(dir + "scratch.bat"));
  EXPECT_EQ(ErrorOf([&] { files.RemoveFile(dir + "scratch.bat", IfMissing::kFail); }),
            err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files.RemoveFile(dir + "scratch.bat", IfMissing::kIgnore); }), 0);
  files.MakeFolder(dir + "exclude.txt");
  EXPECT_EQ(ErrorOf([&] { files.RemoveFile(dir + "exclude.txt", IfMissing::kFail); }),
            err::kFileNotFound)
      << "a folder is no file to delete";
  EXPECT_EQ(ErrorOf([&] { files.RemoveFile(dir + "exclude.txt", IfMissing::kIgnore); }), 0);
  EXPECT_EQ(files.Attributes(dir + "exclude.txt") & attr::kDirectory, attr::kDirectory);
}

}  // namespace
}  // namespace td::contract
