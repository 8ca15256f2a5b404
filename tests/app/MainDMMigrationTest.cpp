#include "app/MainDM.h"
#include "common/AppError.h"
#include "common/IniFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdio>

namespace tilvane {
namespace {

using test::L;
using test::ReadFile;
using test::TestEnvironment;
using test::WriteFile;

// Orsenby's settings on a machine where it kept its mod folders in its own
// folder. Written as Orsenby wrote it: Windows-1252, so "ü" is one byte.
class MainDMMigrationTest : public ::testing::Test {
protected:
  QString OldDir() const { return FEnv.Documents() + L("/My Games/Orsenby"); }
  QString NewDir() const { return FEnv.Documents() + L("/My Games/Tilvane"); }
  QString NewIni() const { return NewDir() + L("/Tilvane.ini"); }
  QString NewFS22Ini() const { return NewDir() + L("/FS22.ini"); }

  std::unique_ptr<TdmMain> Create() {
    return std::make_unique<TdmMain>(FEnv.Platform(), FEnv.Prompts(),
                                     [this](std::exception_ptr e) { FReported.push_back(e); });
  }

  QString ReportedMessage(size_t index = 0) const {
    try {
      std::rethrow_exception(FReported.at(index));
    } catch (const EAppError& e) {
      return e.Message();
    } catch (...) {
      return L("(not an EAppError)");
    }
  }

  // Writes the old settings file; `common` holds extra lines of section Common.
  void WriteOldIni(const QByteArray& common, const QByteArray& modFolders) {
    WriteFile(OldDir() + L("/Orsenby.ini"),
              "[Common]\r\nTheme=Carbon\r\nShowDevelopmentTools=1\r\nNumberOfModFolders=3\r\n" +
                  common + "[Form]\r\nTfmMain-X=12\r\n" + modFolders);
  }

  static QByteArray Section(int n, const QString& folder) {
    return "[ModFolder" + QByteArray::number(n) + "]\r\nName=Folder " + QByteArray::number(n) +
           "\r\nFolder=" + folder.toLatin1() + "\r\n";
  }

  TestEnvironment FEnv;
  std::vector<std::exception_ptr> FReported;
};

TEST_F(MainDMMigrationTest, DefaultBaseFolderMovesIntoFS22AndSplitsTheSettings) {
  // ModManagerModFolders missing and equal to the old folder are both the
  // default base folder.
  for (const bool baseNamed : {false, true}) {
    SCOPED_TRACE(baseNamed);
    FEnv.Platform().SetRunningProcesses({"FarmingSimulator2019Game.exe"});
    const QString outside = FEnv.PathOf(L("Elsewhere/Outside"));
    const QString otherCase = FEnv.Documents() + L("/My Games/orsenby/Server1");
    WriteOldIni(
        QByteArray("FS22Location=C:\\Games\\FS22\\FarmingSimulator2022.exe\r\n") +
            (baseNamed ? "ModManagerModFolders=" + OldDir().toLatin1() + "\r\n" : QByteArray()),
        Section(1, OldDir() + L("/Server1")) + Section(2, OldDir() + L("/M\u00fcller")) +
            Section(3, outside) + Section(4, otherCase));
    WriteFile(OldDir() + L("/Server1/a.zip"), "A");
    WriteFile(OldDir() + L("/M\u00fcller/b.zip"), "B");
    WriteFile(outside + L("/c.zip"), "C");

    auto dm = Create();
    ASSERT_TRUE(FReported.empty()) << ReportedMessage().toStdString();
    ASSERT_NE(dm->Ini(), nullptr);

    EXPECT_FALSE(QFileInfo::exists(OldDir()));
    EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Server1/a.zip")), "A");
    EXPECT_EQ(ReadFile(NewDir() + L("/FS22/M\u00fcller/b.zip")), "B");
    EXPECT_EQ(ReadFile(outside + L("/c.zip")), "C");
    EXPECT_FALSE(QFileInfo::exists(NewDir() + L("/FS22/FS22")));
    EXPECT_TRUE(FEnv.Platform().IsHidden(NewIni().toStdString()));
    EXPECT_TRUE(FEnv.Platform().IsHidden(NewFS22Ini().toStdString()));

    TIniFile app(NewIni(), FEnv.Platform());
    EXPECT_EQ(app.ReadSections(), QStringList({L("Common"), L("Form")}));
    EXPECT_EQ(app.ReadSectionKeys(L("Common")),
              baseNamed
                  ? QStringList({L("Theme"), L("ShowDevelopmentTools"), L("ModManagerModFolders")})
                  : QStringList({L("Theme"), L("ShowDevelopmentTools")}));
    EXPECT_EQ(dm->GetTheme(), L("Carbon"));
    if (baseNamed) {
      EXPECT_EQ(dm->GetModManagerModFolders(), NewDir());
    }

    TIniFile fs22(NewFS22Ini(), FEnv.Platform());
    EXPECT_FALSE(fs22.SectionExists(L("Form")));
    EXPECT_EQ(fs22.ReadSectionKeys(L("Common")),
              QStringList({L("NumberOfModFolders"), L("FSProgramLocation")}));
    EXPECT_EQ(fs22.ReadString(L("Common"), L("FSProgramLocation"), L("?")),
              L("C:\\Games\\FS22\\FarmingSimulator2022.exe"));
    EXPECT_EQ(fs22.ReadString(L("ModFolder1"), L("Folder"), {}), NewDir() + L("/FS22/Server1"));
    EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Folder"), {}), NewDir() + L("/FS22/M\u00fcller"));
    EXPECT_EQ(fs22.ReadString(L("ModFolder3"), L("Folder"), {}), outside);
    EXPECT_EQ(fs22.ReadString(L("ModFolder4"), L("Folder"), {}), otherCase);
    EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Name"), {}), L("Folder 2"));

    // The next start finds its own file and migrates nothing.
    dm.reset();
    WriteFile(OldDir() + L("/Orsenby.ini"), "[Common]\r\nTheme=Old\r\n");
    dm = Create();
    EXPECT_TRUE(FReported.empty());
    EXPECT_EQ(dm->GetTheme(), L("Carbon"));
    EXPECT_TRUE(QFile::exists(OldDir() + L("/Orsenby.ini")));

    dm.reset();
    QDir(FEnv.Documents() + L("/My Games")).removeRecursively();
    QDir(FEnv.PathOf(L("Elsewhere"))).removeRecursively();
  }
}

TEST_F(MainDMMigrationTest, CustomBaseFolderGetsItsOwnFS22Folder) {
  const QString farmMods = FEnv.PathOf(L("FarmMods"));
  WriteOldIni("ModManagerModFolders=" + farmMods.toLatin1() + "\r\n",
              Section(1, farmMods + L("/Server1")) + Section(2, OldDir() + L("/Local")) +
                  "[ModFolder3]\r\nName=No folder\r\n");
  WriteFile(farmMods + L("/Server1/a.zip"), "A");
  WriteFile(farmMods + L("/readme.txt"), "stays");
  WriteFile(OldDir() + L("/Local/b.zip"), "B");

  auto dm = Create();
  ASSERT_TRUE(FReported.empty()) << ReportedMessage().toStdString();

  EXPECT_EQ(ReadFile(farmMods + L("/FS22/Server1/a.zip")), "A");
  EXPECT_EQ(ReadFile(farmMods + L("/readme.txt")), "stays");
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Local/b.zip")), "B");
  EXPECT_EQ(dm->GetModManagerModFolders(), farmMods);

  TIniFile fs22(NewFS22Ini(), FEnv.Platform());
  EXPECT_EQ(fs22.ReadString(L("ModFolder1"), L("Folder"), {}), farmMods + L("/FS22/Server1"));
  EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Folder"), {}), NewDir() + L("/FS22/Local"));
  EXPECT_FALSE(fs22.ValueExists(L("ModFolder3"), L("Folder")));
  // Without the old location the game's usual search fills it in later.
  EXPECT_TRUE(fs22.ValueExists(L("Common"), L("FSProgramLocation")));
  EXPECT_EQ(fs22.ReadString(L("Common"), L("FSProgramLocation"), L("?")), QString());
}

TEST_F(MainDMMigrationTest, ExistingNewFolderStopsTheMigrationBeforeAnythingMoves) {
  WriteOldIni({}, Section(1, OldDir() + L("/Server1")));
  WriteFile(OldDir() + L("/Server1/a.zip"), "A");
  WriteFile(NewDir() + L("/FS19.ini"), "[Common]\r\n");
  const QByteArray oldIni = ReadFile(OldDir() + L("/Orsenby.ini"));

  auto dm = Create();
  ASSERT_EQ(FReported.size(), 1u);
  EXPECT_EQ(ReportedMessage(), L("The specified directory already exists"));
  EXPECT_EQ(dm->Ini(), nullptr); // the remaining start-up steps were skipped
  EXPECT_EQ(ReadFile(OldDir() + L("/Orsenby.ini")), oldIni);
  EXPECT_EQ(ReadFile(OldDir() + L("/Server1/a.zip")), "A");
  EXPECT_FALSE(QFileInfo::exists(NewDir() + L("/Tilvane.ini")));
  EXPECT_FALSE(QFileInfo::exists(NewDir() + L("/FS22")));
}

// Shows messages on the error stream, where a death test can read them.
class StderrPrompts : public test::ScriptedPromptService {
public:
  void ShowMessage(const QString& text, TMessageKind) override {
    std::fprintf(stderr, "message: %s\n", qUtf8Printable(text));
  }
};

TEST_F(MainDMMigrationTest, RunningFS22EndsTheProgramBeforeAnythingChanges) {
  WriteOldIni({}, Section(1, OldDir() + L("/Server1")));
  WriteFile(OldDir() + L("/Server1/a.zip"), "A");
  FEnv.Platform().SetRunningProcesses({"FarmingSimulator2022Game.exe"});
  StderrPrompts prompts;

  EXPECT_EXIT(TdmMain(FEnv.Platform(), prompts, [](std::exception_ptr) { std::_Exit(3); }),
              ::testing::ExitedWithCode(0),
              "message: Orsenby need to preform an upgrade\\. Please exit Farming Simulator 22 "
              "and restart Tilvane again\\.");
  EXPECT_EQ(ReadFile(OldDir() + L("/Server1/a.zip")), "A");
  EXPECT_FALSE(QFileInfo::exists(NewDir()));

  // Once the game has closed, the next start migrates.
  FEnv.Platform().SetRunningProcesses({});
  auto dm = Create();
  EXPECT_TRUE(FReported.empty());
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Server1/a.zip")), "A");
}

} // namespace
} // namespace tilvane
