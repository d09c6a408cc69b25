// What both platforms promise about the process and its surroundings.
#include "ContractTest.h"

namespace td::contract {
namespace {

TEST_F(Contract, TheExecutableKnowsItsPathAndCarriedResources) {
  const std::string exe = system.ExecutablePath();
  ASSERT_GE(exe.size(), 7u);
  EXPECT_EQ(exe[1], ':') << exe;
  EXPECT_EQ(exe.substr(exe.size() - 4), ".exe") << exe;
  EXPECT_TRUE(files.IsPlainFile(exe)) << exe;
  EXPECT_EQ(system.LoadResourceBytes("CUSTOM", kCarriedResourceId), target->CarriedResource());
  EXPECT_EQ(system.LoadResourceBytes("custom", kCarriedResourceId), target->CarriedResource())
      << "type names ignore letter case";
  EXPECT_FALSE(system.LoadResourceBytes("CUSTOM", 999));
  EXPECT_FALSE(system.LoadResourceBytes("OTHER", kCarriedResourceId));
}

TEST_F(Contract, ProgramsThatDoNotExistCannotStart) {
  EXPECT_EQ(ErrorOf([&] { system.StartProcess("\"" + dir + "Missing.bat\" \"" + dir + "\""); }),
            err::kFileNotFound);
  files.MakeFolder(dir + "Folder.bat");
  EXPECT_EQ(ErrorOf([&] { system.StartProcess("\"" + dir + "Folder.bat\""); }),
            err::kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { system.StartProcess("no-such-program-anywhere /s /y"); }),
            err::kFileNotFound);
}

TEST_F(Contract, StartedScriptsTellWhenTheyHaveEnded) {
  files.WriteBytes(dir + "Quick.bat", "@echo off\r\nexit\r\n");
  const auto script = system.StartProcess("\"" + dir + "Quick.bat\" \"" + dir + "\"");
  ASSERT_TRUE(script);
  const double start = system.Seconds();
  while (!script->HasEnded() && system.Seconds() - start < 20) screen.DoEvents();
  EXPECT_TRUE(script->HasEnded());

  files.WriteBytes(dir + "Endless.bat", "@echo off\r\n:again\r\ngoto again\r\n");
  const auto endless = system.StartProcess("\"" + dir + "Endless.bat\" \"" + dir + "\"");
  endless->End();
  const double ending = system.Seconds();
  while (!endless->HasEnded() && system.Seconds() - ending < 20) screen.DoEvents();
  EXPECT_TRUE(endless->HasEnded()) << "a script that never ends by itself is ended";
}

TEST_F(Contract, RegistryTextComesBackExactly) {
  const std::string key = "Software\\Tumbledeck Contract\\Host";
  const std::string path = "C:\\Jeux Vid\xC3\xA9o  &  100%\\Data\\";  // é, blanks, & and %
  target->SetRegistryText(key, "DataPath", path);
  target->SetRegistryText(key, "Empty", "");
  EXPECT_EQ(system.ReadUserRegistryText(key, "DataPath"), path);
  EXPECT_EQ(system.ReadUserRegistryText("SOFTWARE\\TUMBLEDECK CONTRACT\\HOST", "datapath"), path)
      << "names ignore letter case";
  EXPECT_EQ(system.ReadUserRegistryText(key, "Empty"), "");
  EXPECT_FALSE(system.ReadUserRegistryText(key, "Missing"));
  EXPECT_FALSE(system.ReadUserRegistryText("Software\\Tumbledeck Contract\\None", "DataPath"));
  const std::string longValue(300, 'x');
  target->SetRegistryText(key, "Long", longValue);
  EXPECT_EQ(system.ReadUserRegistryText(key, "Long"), longValue);
}

TEST_F(Contract, TheClockOnlyGoesForwardAndRandomValuesStayBelowOne) {
  double last = system.Seconds();
  for (int i = 0; i < 100; ++i) {
    screen.DoEvents();
    const double now = system.Seconds();
    ASSERT_GE(now, last);
    last = now;
  }
  system.Randomize();
  for (int i = 0; i < 10000; ++i) {
    const float r = system.NextRandom();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
}

}  // namespace
}  // namespace td::contract
