// Where each game is installed and keeps its files, and its process.
#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using test::ReadFile;
using test::WriteFile;

using test::L;

class GameLocationTest : public ::testing::Test {
protected:
  QString Path(const char* relative) const { return env.PathOf(L(relative)); }
  // Installs the game of that number ("22") where Steam puts it.
  QString Install(const char* library, const char* number) {
    const QString exe = Path(library) + QStringLiteral("/steamapps/common/Farming Simulator ") +
                        L(number) + QStringLiteral("/FarmingSimulator20") + L(number) +
                        QStringLiteral(".exe");
    WriteFile(exe, "MZ");
    return exe;
  }
  void UseSteam(const QByteArray& libraryFile = {}) {
    env.Platform().SetSteamFolder(Path("Steam").toStdString());
    QDir().mkpath(Path("Steam"));
    if (!libraryFile.isEmpty())
      WriteFile(Path("Steam/config/libraryfolders.vdf"), libraryFile);
  }
  QByteArray LibraryFile() const {
    // Steam lists its own folder first, then the other libraries.
    return "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + Path("Steam").toUtf8() +
           "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + Path("Library2").toUtf8() +
           "\"\n\t\t\"apps\"\n\t\t{\n\t\t}\n\t}\n}\n";
  }
  TIniFile& Ini(TFSVersion v) { return dm.GetIniFileForFS(v); }
  QString Stored(TFSVersion v) {
    return Ini(v).ReadString(L("Common"), L("FSProgramLocation"), L("<missing>"));
  }

  test::TestEnvironment env;
  TdmMain dm{env.Platform(), env.Prompts()};
};

TEST_F(GameLocationTest, DocumentsFolderOnlyWhenTheGameRanHere) {
  env.Platform().SetGameDocumentsFolder(Path("prefix/Documents").toStdString());
  EXPECT_EQ(dm.GetFSMyGamesFolder(TFSVersion::fsv22), QString());
  QDir().mkpath(Path("prefix/Documents/My Games/FarmingSimulator2022"));
  // The program's own documents folder does not count.
  QDir().mkpath(Path("Documents/My Games/FarmingSimulator2019"));
  EXPECT_EQ(dm.GetFSMyGamesFolder(TFSVersion::fsv22),
            Path("prefix/Documents/My Games/FarmingSimulator2022"));
  EXPECT_EQ(dm.GetFSMyGamesFolder(TFSVersion::fsv19), QString());
  env.Platform().SetGameDocumentsFolder({});
  env.Platform().SetDocumentsFolder({});
  EXPECT_EQ(dm.GetFSMyGamesFolder(TFSVersion::fsv22), QString());
}

TEST_F(GameLocationTest, StoredPathToAnExistingFileWins) {
  UseSteam(LibraryFile());
  Install("Steam", "22");
  const QString other = Path("elsewhere/any.file");
  WriteFile(other, "x");
  dm.SetFSProgramLocation(TFSVersion::fsv22, other);
  EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv22), other);
  EXPECT_EQ(Stored(TFSVersion::fsv22), other);
}

TEST_F(GameLocationTest, SearchOrderAndWriteBack) {
  struct Case {
    const char* Name;
    bool Steam;
    bool LibraryFile;
    const char* InstalledIn; // library folder, or "ProgramFiles"
    const char* Expected;    // relative to the temporary folder; "" for not found
  };
  const Case cases[] = {
      {"main Steam folder", true, true, "Steam",
       "Steam/steamapps/common/Farming Simulator 25/FarmingSimulator2025.exe"},
      {"second library", true, true, "Library2",
       "Library2/steamapps/common/Farming Simulator 25/FarmingSimulator2025.exe"},
      {"library without library file", true, false, "Library2", ""},
      {"program files with Steam", true, true, "ProgramFiles",
       "ProgramFiles/Farming Simulator 2025/FarmingSimulator2025.exe"},
      {"program files without Steam", false, false, "ProgramFiles",
       "ProgramFiles/Farming Simulator 2025/FarmingSimulator2025.exe"},
      {"library without Steam", false, false, "Library2", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    env.Platform().SetSteamFolder({});
    QDir(Path("Steam")).removeRecursively();
    QDir(Path("Library2")).removeRecursively();
    QDir(Path("ProgramFiles")).removeRecursively();
    dm.SetFSProgramLocation(TFSVersion::fsv25, {});
    if (c.Steam)
      UseSteam(c.LibraryFile ? LibraryFile() : QByteArray());
    if (QByteArray(c.InstalledIn) == "ProgramFiles")
      WriteFile(Path("ProgramFiles/Farming Simulator 2025/FarmingSimulator2025.exe"), "MZ");
    else
      Install(c.InstalledIn, "25");

    const QString expected = *c.Expected ? Path(c.Expected) : QString();
    EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv25), expected);
    EXPECT_EQ(Stored(TFSVersion::fsv25), expected);
    // Another generation is not found in this one's folders.
    EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv22), QString());
  }
}

TEST_F(GameLocationTest, RemovedGameIsFoundAgainOrForgotten) {
  UseSteam(LibraryFile());
  dm.SetFSProgramLocation(TFSVersion::fsv22, Path("old/FarmingSimulator2022.exe"));
  const QString moved = Install("Library2", "22");
  EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv22), moved);
  EXPECT_EQ(Stored(TFSVersion::fsv22), moved);

  QFile::remove(moved);
  EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv22), QString());
  EXPECT_EQ(Stored(TFSVersion::fsv22), QString());
  EXPECT_TRUE(Ini(TFSVersion::fsv22).ValueExists(L("Common"), L("FSProgramLocation")));

  // Nothing stored and nothing found: nothing is written.
  EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv19), QString());
  EXPECT_FALSE(Ini(TFSVersion::fsv19).ValueExists(L("Common"), L("FSProgramLocation")));
}

TEST_F(GameLocationTest, RunningGameIsTheGameProcessOfThatGeneration) {
  struct Case {
    std::vector<std::string> Processes;
    bool FS19, FS22, FS25;
  };
  const Case cases[] = {
      {{"init", "FarmingSimulator2022Game.exe"}, false, true, false},
      {{"FARMINGSIMULATOR2022GAME.EXE"}, false, true, false},
      {{"FarmingSimulator2022.exe"}, false, false, false}, // the launcher
      {{"FarmingSimulator2019Game.exe", "FarmingSimulator2025Game.exe-x"}, true, false, true},
      {{}, false, false, false},
  };
  for (const Case& c : cases) {
    env.Platform().SetRunningProcesses(c.Processes);
    EXPECT_EQ(dm.IsFSRunning(TFSVersion::fsv19), c.FS19);
    EXPECT_EQ(dm.IsFSRunning(TFSVersion::fsv22), c.FS22);
    EXPECT_EQ(dm.IsFSRunning(TFSVersion::fsv25), c.FS25);
  }
  env.Platform().SetProcessListError("Access is denied.");
  try {
    dm.IsFSRunning(TFSVersion::fsv22);
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), L("Access is denied."));
  }
}

TEST_F(GameLocationTest, RunStartsTheFoundExecutableOnly) {
  dm.RunFS(TFSVersion::fsv22);
  EXPECT_TRUE(env.Platform().OpenedTargets().empty());
  UseSteam();
  const QString exe = Install("Steam", "22");
  env.Platform().SetShellOpenResult(false); // not reported
  dm.RunFS(TFSVersion::fsv22);
  EXPECT_EQ(env.Platform().OpenedTargets(), std::vector<std::string>{exe.toStdString()});
}

class HousekeepingTest : public GameLocationTest {
protected:
  HousekeepingTest() {
    // Files of the same names in the working folder must survive everything.
    previous = QDir::currentPath();
    QDir().mkpath(Path("work/shader_cache"));
    WriteFile(Path("work/log.txt"), "stranger");
    WriteFile(Path("work/shader_cache/a.bin"), "stranger");
    QDir::setCurrent(Path("work"));
  }
  ~HousekeepingTest() override {
    QDir::setCurrent(previous);
    EXPECT_EQ(ReadFile(Path("work/log.txt")), QByteArray("stranger"));
    EXPECT_EQ(ReadFile(Path("work/shader_cache/a.bin")), QByteArray("stranger"));
  }
  QString previous;
  const QString game = Path("Documents/My Games/FarmingSimulator2022");
};

TEST_F(HousekeepingTest, DeleteLogFile) {
  const QString missingText = L("No such file or directory");
  // The game never ran: nothing to delete, and nothing elsewhere either.
  try {
    dm.DeleteLogFile(TFSVersion::fsv22);
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), missingText);
  }
  QDir().mkpath(game);
  EXPECT_THROW(dm.DeleteLogFile(TFSVersion::fsv22), EAppError);
  WriteFile(game + QStringLiteral("/log.txt"), "log");
  dm.DeleteLogFile(TFSVersion::fsv22);
  EXPECT_FALSE(QFile::exists(game + QStringLiteral("/log.txt")));
  EXPECT_THROW(dm.DeleteLogFile(TFSVersion::fsv22), EAppError);
}

TEST_F(HousekeepingTest, DeleteShaderCacheKeepsFolders) {
  dm.DeleteShaderCache(TFSVersion::fsv22); // no game folder
  QDir().mkpath(game);
  dm.DeleteShaderCache(TFSVersion::fsv22); // no cache folder
  for (const char* name : {"a.bin", "b", ".hidden", "sub/keep.bin"})
    WriteFile(game + QStringLiteral("/shader_cache/") + L(name), "x");
  dm.DeleteShaderCache(TFSVersion::fsv22);
  EXPECT_EQ(QDir(game + QStringLiteral("/shader_cache"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({L("sub")}));
  EXPECT_TRUE(QFile::exists(game + QStringLiteral("/shader_cache/sub/keep.bin")));
}

} // namespace
} // namespace tilvane
