#include <gtest/gtest.h>

#include "launcher/fTumbledeck.h"
#include "platform/sim/SimPlatform.h"

namespace td {
namespace {

class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override { main.MyPath = "C:\\Sets\\"; }
  void AddFolders(const std::vector<std::string>& names) {
    for (const auto& name : names) sim.fs.AddFolder(main.MyPath + name);
  }
  std::vector<int16_t> Order() const {
    return std::vector<int16_t>(main.SetOrder.begin() + 1, main.SetOrder.end());
  }

  sim::SimPlatform sim;
  fTumbledeck main{sim};
};

TEST_F(Catalogue, KeepsCardSetsInListingOrderAndLeavesOutTheRest) {
  sim.fs.AddFile("C:\\Sets\\Tumbledeck.exe", "MZ");
  sim.fs.AddFile("C:\\Sets\\debug.ini", "true");
  AddFolders({"NewSet1", "saveorig", "help", "Spare.Set", "GoldSet", "Help", "MAKEBACKUP", "SaveOrig",
              "ShowCards"});
  sim.fs.AddFolder("C:\\Sets\\Hidden");
  sim.fs.SetAttributes("C:\\Sets\\Hidden", attr::kHidden);
  sim.fs.AddFile("C:\\Sets\\README", "a plain file without a dot");
  main.ReadFiles();
  EXPECT_EQ(main.SetNames, (std::vector<std::string>{"NewSet1", "GoldSet", "README"}));
  EXPECT_EQ(main.SetCount, 3);
}

TEST_F(Catalogue, EmptyMasterFolderDrawsNothing) {
  main.ReadFiles();
  EXPECT_EQ(main.SetCount, 0);
  EXPECT_TRUE(main.SetOrder.empty());
  EXPECT_EQ(sim.seen.randomDraws, 0);
}

TEST_F(Catalogue, OneSetNeedsNoDraw) {
  AddFolders({"Only"});
  main.ReadFiles();
  EXPECT_EQ(Order(), (std::vector<int16_t>{1}));
  EXPECT_EQ(sim.seen.randomDraws, 0);
}

TEST_F(Catalogue, ShuffleWithZeroDrawsKeepsTheOrder) {
  AddFolders({"s1", "s2", "s3", "s4", "s5"});
  sim.given.randomSource = [] { return 0.0f; };
  main.ReadFiles();
  EXPECT_EQ(Order(), (std::vector<int16_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(sim.seen.randomDraws, 4);
}

TEST_F(Catalogue, ShuffleWithDrawsJustBelowOneSwapsEachWithTheLast) {
  AddFolders({"s1", "s2", "s3", "s4", "s5"});
  sim.given.randomSource = [] { return 0.99999994f; };
  main.ReadFiles();
  // j=1 swaps 1,5 -> 5 2 3 4 1; j=2 -> 5 1 3 4 2; j=3 -> 5 1 2 4 3; j=4 -> 5 1 2 3 4.
  EXPECT_EQ(Order(), (std::vector<int16_t>{5, 1, 2, 3, 4}));
}

TEST_F(Catalogue, ShuffleFollowsTheDrawsExactly) {
  AddFolders({"s1", "s2", "s3", "s4"});
  sim.given.randomValues = {0.5f, 0.0f, 0.75f};
  main.ReadFiles();
  // j=1: k=floor(4*0.5+1)=3 -> 3 2 1 4; j=2: k=2 -> same; j=3: k=floor(2*0.75+3)=4 -> 3 2 4 1.
  EXPECT_EQ(Order(), (std::vector<int16_t>{3, 2, 4, 1}));
}

TEST_F(Catalogue, PermutationIsCompleteForLargeCatalogues) {
  for (int i = 0; i < 500; ++i) sim.fs.AddFolder("C:\\Sets\\set" + std::to_string(i));
  main.ReadFiles();
  std::vector<int16_t> sorted = Order();
  std::sort(sorted.begin(), sorted.end());
  for (int16_t i = 0; i < 500; ++i) ASSERT_EQ(sorted[static_cast<std::size_t>(i)], i + 1);
  EXPECT_EQ(sim.seen.randomDraws, 499);
}

TEST_F(Catalogue, TheLargestCatalogueStillFits) {
  for (int i = 0; i < 32766; ++i) sim.fs.AddFolder("C:\\Sets\\s" + std::to_string(i));
  main.ReadFiles();
  EXPECT_EQ(main.SetCount, 32766);
  EXPECT_EQ(main.SetOrder.size(), 32767u);
}

TEST_F(Catalogue, TooManySetsOverflow) {
  for (int i = 0; i < 32767; ++i) sim.fs.AddFolder("C:\\Sets\\s" + std::to_string(i));
  try {
    main.ReadFiles();
    FAIL() << "32767 sets must overflow the 16-bit count";
  } catch (const RunError& error) {
    EXPECT_EQ(error.Number(), err::kOverflow);
  }
}

TEST_F(Catalogue, ANameNoTextCanSpellIsLeftOut) {
  AddFolders({"GoldSet"});
  sim.fs.AddFolder("C:\\Sets\\\xED\xA0\x80Set");  // a lone surrogate, as Windows may hold one
  main.ReadFiles();
  EXPECT_EQ(main.SetNames, std::vector<std::string>{"GoldSet"});
}
}  // namespace
}  // namespace td
