#include "core/common/AppError.h"
#include "core/common/IniFile.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

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

// Orsenby's folder already holds a folder named FS22: it is the new FS22
// folder, and the others move in beside what it holds. One start does it all.
TEST_F(MainDMMigrationTest, AFolderNamedFS22StaysAndTheOthersMoveIntoIt) {
  WriteOldIni({}, Section(1, OldDir() + L("/Server1")) + Section(2, OldDir() + L("/FS22")));
  WriteFile(OldDir() + L("/Server1/a.zip"), "A");
  WriteFile(OldDir() + L("/FS22/c.zip"), "C");

  auto dm = Create();
  ASSERT_TRUE(FReported.empty()) << ReportedMessage().toStdString();
  ASSERT_NE(dm->Ini(), nullptr);
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Server1/a.zip")), "A");
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/c.zip")), "C");
  EXPECT_FALSE(QFileInfo::exists(NewDir() + L("/FS22/FS22")));
  EXPECT_FALSE(QFileInfo::exists(NewDir() + L("/Orsenby.ini")));
  EXPECT_EQ(dm->GetTheme(), L("Carbon"));
  TIniFile fs22(NewFS22Ini(), FEnv.Platform());
  EXPECT_EQ(fs22.ReadString(L("ModFolder1"), L("Folder"), {}), NewDir() + L("/FS22/Server1"));
  EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Folder"), {}), NewDir() + L("/FS22"));
  // Both hold the passwords of the old file.
  EXPECT_EQ(test::ModeOf(NewIni()), 0600);
  EXPECT_EQ(test::ModeOf(NewFS22Ini()), 0600);
}

// A name the FS22 folder holds already: that mod folder keeps its place, in
// the settings folder or in the custom base folder, and its path says so.
TEST_F(MainDMMigrationTest, AFolderWhoseNameIsTakenInFS22KeepsItsPlaceAndItsPath) {
  const QString farmMods = FEnv.PathOf(L("FarmMods"));
  WriteOldIni("ModManagerModFolders=" + farmMods.toLatin1() + "\r\n",
              Section(1, OldDir() + L("/Server1")) + Section(2, farmMods + L("/Server2")) +
                  Section(3, farmMods + L("/Server3")));
  WriteFile(OldDir() + L("/Server1/a.zip"), "A");
  WriteFile(OldDir() + L("/FS22/Server1/b.zip"), "B");
  WriteFile(farmMods + L("/Server2/x.zip"), "X");
  WriteFile(farmMods + L("/FS22/Server2/y.zip"), "Y");
  WriteFile(farmMods + L("/Server3/z.zip"), "Z");

  auto dm = Create();
  ASSERT_TRUE(FReported.empty()) << ReportedMessage().toStdString();
  EXPECT_EQ(ReadFile(NewDir() + L("/Server1/a.zip")), "A");
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Server1/b.zip")), "B");
  EXPECT_EQ(ReadFile(farmMods + L("/Server2/x.zip")), "X");
  EXPECT_EQ(ReadFile(farmMods + L("/FS22/Server2/y.zip")), "Y");
  EXPECT_EQ(ReadFile(farmMods + L("/FS22/Server3/z.zip")), "Z");
  TIniFile fs22(NewFS22Ini(), FEnv.Platform());
  EXPECT_EQ(fs22.ReadString(L("ModFolder1"), L("Folder"), {}), NewDir() + L("/Server1"));
  EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Folder"), {}), farmMods + L("/Server2"));
  EXPECT_EQ(fs22.ReadString(L("ModFolder3"), L("Folder"), {}), farmMods + L("/FS22/Server3"));
}

// What a start that failed after the folder move leaves: Orsenby's file in
// the new folder, one mod folder moved, one not, maybe an FS22.ini of the
// interrupted split. The next start finishes the move and the split.
TEST_F(MainDMMigrationTest, AStartThatEndedHalfWayIsFinishedByTheNext) {
  for (const bool splitBegun : {false, true}) {
    SCOPED_TRACE(splitBegun);
    WriteFile(NewDir() + L("/Orsenby.ini"),
              "[Common]\r\nTheme=Carbon\r\nNumberOfModFolders=2\r\n"
              "FS22Location=C:\\FS22\\FarmingSimulator2022.exe\r\n[Form]\r\nTfmMain-X=12\r\n" +
                  Section(1, OldDir() + L("/Server1")) + Section(2, OldDir() + L("/Local")));
    WriteFile(NewDir() + L("/FS22/Server1/a.zip"), "A");
    WriteFile(NewDir() + L("/Local/b.zip"), "B");
    if (splitBegun)
      WriteFile(NewFS22Ini(), "[Common]\r\nFSProgramLocation=half\r\n");

    auto dm = Create();
    ASSERT_TRUE(FReported.empty()) << ReportedMessage().toStdString();
    ASSERT_NE(dm->Ini(), nullptr);
    EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Server1/a.zip")), "A");
    EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Local/b.zip")), "B");
    EXPECT_FALSE(QFileInfo::exists(NewDir() + L("/Orsenby.ini")));
    EXPECT_EQ(dm->GetTheme(), L("Carbon"));
    TIniFile app(NewIni(), FEnv.Platform());
    EXPECT_EQ(app.ReadSections(), QStringList({L("Common"), L("Form")}));
    TIniFile fs22(NewFS22Ini(), FEnv.Platform());
    EXPECT_EQ(fs22.ReadString(L("Common"), L("FSProgramLocation"), {}),
              L("C:\\FS22\\FarmingSimulator2022.exe"));
    EXPECT_EQ(fs22.ReadString(L("ModFolder1"), L("Folder"), {}), NewDir() + L("/FS22/Server1"));
    EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Folder"), {}), NewDir() + L("/FS22/Local"));
    EXPECT_TRUE(FEnv.Platform().IsHidden(NewFS22Ini().toStdString()));

    dm.reset();
    QDir(FEnv.Documents() + L("/My Games")).removeRecursively();
  }
}

// A folder that cannot move (locked on Windows; here one its owner may not
// write, whose ".." a move has to change) stops the first start with the
// error; once it is free, the next start finishes the job.
TEST_F(MainDMMigrationTest, AFolderThatCannotMoveIsMovedByTheNextStart) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "the superuser moves a folder without write permission";
  WriteOldIni({}, Section(1, OldDir() + L("/Server1")) + Section(2, OldDir() + L("/Locked")));
  WriteFile(OldDir() + L("/Server1/a.zip"), "A");
  WriteFile(OldDir() + L("/Locked/b.zip"), "B");
  const QByteArray locked = QFile::encodeName(OldDir() + L("/Locked"));
  ASSERT_EQ(::chmod(locked.constData(), 0555), 0);

  auto dm = Create();
  ASSERT_EQ(FReported.size(), 1u);
  EXPECT_EQ(dm->Ini(), nullptr);
  EXPECT_TRUE(QFileInfo::exists(NewDir() + L("/Orsenby.ini")));
  EXPECT_FALSE(QFileInfo::exists(NewIni()));

  dm.reset();
  ASSERT_EQ(::chmod(QFile::encodeName(NewDir() + L("/Locked")).constData(), 0755), 0);
  dm = Create();
  ASSERT_EQ(FReported.size(), 1u) << ReportedMessage(1).toStdString();
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Server1/a.zip")), "A");
  EXPECT_EQ(ReadFile(NewDir() + L("/FS22/Locked/b.zip")), "B");
  EXPECT_EQ(dm->GetTheme(), L("Carbon"));
  TIniFile fs22(NewFS22Ini(), FEnv.Platform());
  EXPECT_EQ(fs22.ReadString(L("ModFolder2"), L("Folder"), {}), NewDir() + L("/FS22/Locked"));
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
