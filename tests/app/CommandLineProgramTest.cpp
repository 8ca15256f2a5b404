// The program's command line, run as a player or Steam runs it: the real
// program binary against a sandbox home (the games' settings files, the
// program's settings) and a server on 127.0.0.1.
#include "SandboxInstallation.h"
#include "SilentPrompts.h"
#include "support/TestEnvironment.h"
#include "support/UpdateTestSupport.h"

#include "datamodule/MainDM.h"
#include "platform/Platform.h"
#include "windowlogic/CommandLineLogic.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

const QString Program = QStringLiteral(TILVANE_PROGRAM);

struct TRun {
  int ExitCode = -1;
  QString Out;
  QString Err;
  qint64 ProcessId = 0;
};

class CommandLineProgramTest : public ::testing::Test {
protected:
  CommandLineProgramTest() {
    Sandbox.Create({QStringLiteral("/bin/true"), 1});
    Sandbox.Apply();
    Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
    MakeModArchive(Root.filePath(QStringLiteral("served/A.zip")), QStringLiteral("Tester"),
                   QStringLiteral("1.0.0.0"));
    Server.SetFile(QStringLiteral("A.zip"),
                   ReadFile(Root.filePath(QStringLiteral("served/A.zip"))));

    TModFolder ServerA = Folder(QStringLiteral("Server A"), ModsFolder());
    ServerA.DedicatedServerURL = Server.PageURL();
    ServerA.GameNameFilter = QStringLiteral("Server A filter");
    ServerA.GamePassword = QStringLiteral("secret");
    WriteFolders(TFSVersion::fsv25,
                 {ServerA, Folder(QStringLiteral("Same name"), Mods25(QStringLiteral("same"))),
                  Folder(QStringLiteral("Bob's \"Farm\" & Co"), Mods25(QStringLiteral("bob")))});
    WriteFolders(TFSVersion::fsv22,
                 {Folder(QStringLiteral("Singleplayer"),
                         Sandbox.ModsRoot(TFSVersion::fsv22) + QStringLiteral("/single")),
                  Folder(QStringLiteral("Same name"),
                         Sandbox.ModsRoot(TFSVersion::fsv22) + QStringLiteral("/same"))});
    WriteRecorder();
  }

  static TModFolder Folder(const QString& AName, const QString& APath) {
    TModFolder Result;
    Result.Name = AName;
    Result.Folder = APath;
    return Result;
  }
  QString Mods25(const QString& AName) const {
    return Sandbox.ModsRoot(TFSVersion::fsv25) + u'/' + AName;
  }
  QString ModsFolder() const { return Mods25(QStringLiteral("server a")); }

  // The program's own list, written as the program writes it.
  void WriteFolders(TFSVersion AFSVersion, const std::vector<TModFolder>& AFolders) {
    const std::unique_ptr<platform::IPlatform> Platform = platform::CreateSystemPlatform();
    tools::TSilentPrompts Prompts;
    TdmMain DataModule(*Platform, Prompts);
    DataModule.LoadModFolders(AFSVersion);
    DataModule.ModFolderList().clear();
    for (const TModFolder& Folder : AFolders)
      DataModule.ModFolderList().push_back(std::make_unique<TModFolder>(Folder));
    DataModule.SaveModFolders(AFSVersion);
  }

  // The game's stand-in: it writes its process id, its arguments, the mod
  // folder's files and the game's mod folder setting, as it finds them.
  void WriteRecorder() {
    QFile Script(Recorder);
    ASSERT_TRUE(Script.open(QIODevice::WriteOnly));
    Script.write("#!/bin/sh\n"
                 "{ echo \"pid $$\"\n"
                 "  for a in \"$@\"; do printf '[%s]' \"$a\"; done; echo\n"
                 "  ls \"$MODS\"\n"
                 "  grep -o '<modsDirectoryOverride[^>]*>' \"$SETTINGS\"\n"
                 "} > \"$RECORD\"\n");
    Script.close();
    Script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

  TRun Run(const QString& AProgram, const QStringList& AArguments,
           const QString& ASteamAppId = {}) {
    QProcess Process;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    Env.insert(QStringLiteral("MODS"), ModsFolder());
    Env.insert(QStringLiteral("SETTINGS"), Sandbox.GameSettings(TFSVersion::fsv25));
    Env.insert(QStringLiteral("RECORD"), Record);
    Env.remove(QStringLiteral("SteamAppId"));
    if (!ASteamAppId.isEmpty())
      Env.insert(QStringLiteral("SteamAppId"), ASteamAppId);
    Process.setProcessEnvironment(Env);
    TRun Result;
    // The server answers on this thread's event loop's behalf from its own
    // threads; the program runs while this one waits.
    Process.start(AProgram, AArguments);
    EXPECT_TRUE(Process.waitForStarted(10000));
    Result.ProcessId = Process.processId();
    EXPECT_TRUE(Process.waitForFinished(60000));
    Result.ExitCode = Process.exitStatus() == QProcess::NormalExit ? Process.exitCode() : -1;
    Result.Out = QString::fromUtf8(Process.readAllStandardOutput());
    Result.Err = QString::fromUtf8(Process.readAllStandardError());
    return Result;
  }
  TRun Run(const QStringList& AArguments, const QString& ASteamAppId = {}) {
    return Run(Program, AArguments, ASteamAppId);
  }

  QString GameModFolderSetting(TFSVersion AFSVersion) const {
    const QString Settings = QString::fromUtf8(ReadFile(Sandbox.GameSettings(AFSVersion)));
    return QRegularExpression(QStringLiteral("<modsDirectoryOverride[^>]*>"))
        .match(Settings)
        .captured();
  }
  QString Recorded() const { return QString::fromUtf8(ReadFile(Record)); }

  QTemporaryDir Root{QDir::tempPath() + QStringLiteral("/tilvane-cli-XXXXXX")};
  demo::TSandboxInstallation Sandbox{Root.path()};
  TTestServer Server;
  const QString Recorder = Root.filePath(QStringLiteral("game with spaces.sh"));
  const QString Record = Root.filePath(QStringLiteral("record.txt"));
};

TEST_F(CommandLineProgramTest, ListsTheFoldersWithTheActiveOneMarked) {
  const TRun All = Run({QStringLiteral("--list")});
  EXPECT_EQ(All.ExitCode, 0) << All.Err.toStdString();
  EXPECT_EQ(All.Out, QStringLiteral("FS22   Singleplayer\n"
                                    "FS22   Same name\n"
                                    "FS25   Server A\n"
                                    "FS25   Same name\n"
                                    "FS25   Bob's \"Farm\" & Co\n"));
  ASSERT_EQ(Run({QStringLiteral("--activate"), QStringLiteral("Singleplayer")}).ExitCode, 0);
  const TRun FS22 = Run({QStringLiteral("--list"), QStringLiteral("FS22")});
  EXPECT_EQ(FS22.Out, QStringLiteral("* Singleplayer\n"
                                     "  Same name\n"));
}

TEST_F(CommandLineProgramTest, ActivateWritesTheGamesSettingsAsTheButtonDoes) {
  const TRun Activated = Run({QStringLiteral("--activate"), QStringLiteral("Server A")});
  EXPECT_EQ(Activated.ExitCode, 0) << Activated.Err.toStdString();
  EXPECT_EQ(Activated.Out, QStringLiteral("FS25 now uses \"Server A\".\n"));
  EXPECT_EQ(GameModFolderSetting(TFSVersion::fsv25),
            QStringLiteral("<modsDirectoryOverride active=\"true\" directory=\"") + ModsFolder() +
                QStringLiteral("\"/>"));
  const QString Settings = QString::fromUtf8(ReadFile(Sandbox.GameSettings(TFSVersion::fsv25)));
  EXPECT_TRUE(Settings.contains(QStringLiteral("serverName=\"Server A filter\"")));
  EXPECT_TRUE(Settings.contains(QStringLiteral("password=\"secret\"")));
  // Nothing was synced: an activation never asks the server.
  EXPECT_EQ(Server.Requests("/mods.html"), 0);
  EXPECT_FALSE(QFile::exists(ModsFolder() + QStringLiteral("/A.zip")));

  // By its folder, too.
  EXPECT_EQ(Run({QStringLiteral("--activate"), Mods25(QStringLiteral("bob"))}).ExitCode, 0);
  EXPECT_EQ(GameModFolderSetting(TFSVersion::fsv25),
            QStringLiteral("<modsDirectoryOverride active=\"true\" directory=\"") +
                Mods25(QStringLiteral("bob")) + QStringLiteral("\"/>"));
}

TEST_F(CommandLineProgramTest, TheGameComesFromSteamTheNameOrGame) {
  const TRun Ambiguous = Run({QStringLiteral("--activate"), QStringLiteral("Same name")});
  EXPECT_EQ(Ambiguous.ExitCode, 2);
  EXPECT_EQ(Ambiguous.Err,
            QStringLiteral("\"Same name\" is a mod folder of FS22, FS25: add --game with one "
                           "of them.\n"));
  const QString Before22 = GameModFolderSetting(TFSVersion::fsv22);
  EXPECT_EQ(
      Run({QStringLiteral("--activate"), QStringLiteral("Same name")}, QStringLiteral("2300320"))
          .ExitCode,
      0);
  EXPECT_EQ(GameModFolderSetting(TFSVersion::fsv25),
            QStringLiteral("<modsDirectoryOverride active=\"true\" directory=\"") +
                Mods25(QStringLiteral("same")) + QStringLiteral("\"/>"));
  EXPECT_EQ(GameModFolderSetting(TFSVersion::fsv22), Before22);
  EXPECT_EQ(Run({QStringLiteral("--activate"), QStringLiteral("Same name"),
                 QStringLiteral("--game"), QStringLiteral("FS22")})
                .ExitCode,
            0);
  EXPECT_NE(GameModFolderSetting(TFSVersion::fsv22), Before22);

  const TRun Unknown = Run({QStringLiteral("--activate"), QStringLiteral("Nobody's"),
                            QStringLiteral("--game"), QStringLiteral("FS22")});
  EXPECT_EQ(Unknown.ExitCode, 2);
  EXPECT_EQ(Unknown.Err, QStringLiteral("No mod folder of FS22 is named \"Nobody's\".\n"));
}

TEST_F(CommandLineProgramTest, SyncBringsTheFolderInLineAndSaysSoByItsExitCode) {
  const TRun Synced =
      Run({QStringLiteral("--sync"), QStringLiteral("Server A"), QStringLiteral("--no-window")});
  EXPECT_EQ(Synced.ExitCode, 0) << Synced.Err.toStdString();
  EXPECT_TRUE(QFile::exists(ModsFolder() + QStringLiteral("/A.zip")));
  EXPECT_TRUE(Synced.Err.contains(QStringLiteral("Downloading 1 of 1: A.zip")))
      << Synced.Err.toStdString();

  Server.SetPage(QStringLiteral("<html><body>Maintenance</body></html>"));
  const TRun Failed =
      Run({QStringLiteral("--sync"), QStringLiteral("Server A"), QStringLiteral("--no-window")});
  EXPECT_EQ(Failed.ExitCode, 1);
  // The archive the failed sync found stays.
  EXPECT_TRUE(QFile::exists(ModsFolder() + QStringLiteral("/A.zip")));
}

TEST_F(CommandLineProgramTest, LaunchSyncsThenBecomesTheGame) {
  // No terminal: the sync runs in its window (offscreen here), which closes
  // itself once the folder is in line.
  const TRun Launched =
      Run({QStringLiteral("--launch"), QStringLiteral("Server A"), QStringLiteral("--"), Recorder,
           QStringLiteral("-skipStartVideos"), QStringLiteral("two words"),
           QStringLiteral("it's \"quoted\""), QStringLiteral("--help")},
          QStringLiteral("2300320"));
  EXPECT_EQ(Launched.ExitCode, 0) << Launched.Err.toStdString();
  EXPECT_EQ(Recorded(),
            QStringLiteral("pid %1\n"
                           "[-skipStartVideos][two words][it's \"quoted\"][--help]\n"
                           "A.zip\n"
                           "<modsDirectoryOverride active=\"true\" directory=\"%2\"/>\n")
                .arg(Launched.ProcessId)
                .arg(ModsFolder()));
}

TEST_F(CommandLineProgramTest, AFailedSyncNeverStartsTheGame) {
  Server.SetPage(QStringLiteral("<html><body>Maintenance</body></html>"));
  const QString Before = GameModFolderSetting(TFSVersion::fsv25);
  const TRun Launched = Run({QStringLiteral("--launch"), QStringLiteral("Server A"),
                             QStringLiteral("--no-window"), QStringLiteral("--"), Recorder});
  EXPECT_EQ(Launched.ExitCode, 1);
  EXPECT_FALSE(QFile::exists(Record));
  EXPECT_EQ(GameModFolderSetting(TFSVersion::fsv25), Before);
}

TEST_F(CommandLineProgramTest, TheCopiedLaunchOptionSurvivesSteamsShell) {
  const QString Name = QStringLiteral("Bob's \"Farm\" & Co");
  QString Option = SteamLaunchOption(Program, Name);
  EXPECT_TRUE(Option.endsWith(QStringLiteral(" --launch 'Bob'\\''s \"Farm\" & Co' -- %command%")))
      << Option.toStdString();
  // What Steam puts in for %command%: the game's command line.
  Option.replace(QStringLiteral("%command%"),
                 QStringLiteral("'") + Recorder + QStringLiteral("' -fullscreen"));
  const TRun Launched =
      Run(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), Option}, QStringLiteral("2300320"));
  EXPECT_EQ(Launched.ExitCode, 0) << Launched.Err.toStdString();
  EXPECT_TRUE(Recorded().contains(QStringLiteral("[-fullscreen]\n"))) << Recorded().toStdString();
  EXPECT_EQ(GameModFolderSetting(TFSVersion::fsv25),
            QStringLiteral("<modsDirectoryOverride active=\"true\" directory=\"") +
                Mods25(QStringLiteral("bob")) + QStringLiteral("\"/>"));
}

TEST_F(CommandLineProgramTest, BadArgumentsGetOneLineAndExitCodeTwo) {
  const struct {
    QStringList Arguments;
    const char* Line;
  } Cases[] = {
      {{QStringLiteral("--list"), QStringLiteral("FS20")},
       "Unknown game \"FS20\": give FS19, FS22 or FS25.\n"},
      {{QStringLiteral("--launch"), QStringLiteral("Server A")},
       "--launch needs the game's command after -- (in Steam's launch options: -- %command%).\n"},
      {{QStringLiteral("--bogus")}, "Unknown option 'bogus'.\n"},
  };
  for (const auto& Case : Cases) {
    const TRun Bad = Run(Case.Arguments);
    EXPECT_EQ(Bad.ExitCode, 2);
    EXPECT_EQ(Bad.Err, QString::fromUtf8(Case.Line));
    EXPECT_TRUE(Bad.Out.isEmpty());
  }
}

} // namespace
} // namespace tilvane::test

int main(int AArgc, char** AArgv) {
  QCoreApplication App(AArgc, AArgv);
  ::testing::InitGoogleTest(&AArgc, AArgv);
  return RUN_ALL_TESTS();
}
