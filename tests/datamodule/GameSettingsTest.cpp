// The game's own settings files, edited through the data module.
#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/GameFolders.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tilvane {
namespace {

using test::ReadFile;
using test::WriteFile;

using test::L;

// A trimmed FS22 file in the game's own layout.
const QByteArray FS22Settings =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                      "<gameSettings revision=\"15\">\n"
                      "    <!-- written by the game -->\n"
                      "    <defaultMultiplayerPort>10823</defaultMultiplayerPort>\n"
                      "    <onlinePresenceName>jono</onlinePresenceName>\n"
                      "    <player lastPlayerStyleMale=\"true\"/>\n"
                      "    <volume>\n"
                      "        <music>0.600000</music>\n"
                      "    </volume>\n"
                      "</gameSettings>\n");

const QByteArray FS19Settings = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
    "<gameSettings revision=\"15\">\n"
    "    <modsDirectoryOverride active=\"false\" directory=\"C:/Temp\"/>\n"
    "    <player index=\"1\" colorIndex=\"15\" name=\"Batek\"/>\n"
    "    <joinGame hasNoPassword=\"false\" onlyWithAllModsAvailable=\"false\" "
    "serverName=\"ktosie\" mapId=\"\" language=\"255\" capacity=\"16\" password=\"12345\"/>\n"
    "</gameSettings>\n");

const QByteArray GameXml =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                      "<game>\n"
                      "    <development>\n"
                      "        <controls>false</controls>\n"
                      "        <openDevConsole onWarnings=\"false\"/>\n"
                      "    </development>\n"
                      "</game>\n");

class GameSettingsTest : public ::testing::Test {
protected:
  test::TestEnvironment env;
  test::TGameFolders games{env};
  TdmMain dm{env.Platform(), env.Prompts()};
};

TEST_F(GameSettingsTest, ActivatingAFolderCreatesTheOverrideAsFirstChild) {
  WriteFile(games.GameSettings(TFSVersion::fsv22), FS22Settings);
  EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22), QString());

  dm.SetFSModFolder(TFSVersion::fsv22, L("D:/mods/Server & Co"));
  QByteArray expected = FS22Settings;
  expected.replace("<gameSettings revision=\"15\">\n",
                   "<gameSettings revision=\"15\">\n"
                   "    <modsDirectoryOverride active=\"true\" directory=\"D:/mods/Server &amp; "
                   "Co\"/>\n");
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv22)), expected);
  EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22), L("D:/mods/Server & Co"));

  // Back to the game's own mods folder: the override goes, the rest stays.
  dm.SetFSModFolder(TFSVersion::fsv22, QString());
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv22)), FS22Settings);
  dm.SetFSModFolder(TFSVersion::fsv22, QString());
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv22)), FS22Settings);
}

TEST_F(GameSettingsTest, OverrideCountsOnlyWhenActiveIsExactlyTrue) {
  struct Case {
    const char* Active;
    const char* Result;
  };
  const Case cases[] = {{"true", "D:/x"}, {"false", ""}, {"True", ""}, {"", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Active);
    WriteFile(games.GameSettings(TFSVersion::fsv19),
              QByteArray("<gameSettings>\n  <modsDirectoryOverride active=\"") + c.Active +
                  "\" directory=\"D:/x\"/>\n</gameSettings>\n");
    EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv19), L(c.Result));
  }
  dm.SetFSModFolder(TFSVersion::fsv19, L("E:/y"));
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv19)),
            QByteArray("<gameSettings>\n  <modsDirectoryOverride active=\"true\" "
                       "directory=\"E:/y\"/>\n</gameSettings>\n"));
}

TEST_F(GameSettingsTest, JoinGameIsCreatedPerGeneration) {
  struct Case {
    TFSVersion Version;
    const char* Element;
  };
  const Case cases[] = {
      {TFSVersion::fsv22,
       "<joinGame onlyWithAllModsAvailable=\"false\" serverName=\"Local Farm\" mapId=\"\" "
       "language=\"0\" capacity=\"16\" allowCrossPlay=\"true\" password=\"\"/>"},
      {TFSVersion::fsv25,
       "<joinGame includePasswordProtected=\"true\" includeFullGames=\"true\" "
       "onlyWithAllModsAvailable=\"false\" serverName=\"Local Farm\" mapId=\"\" language=\"0\" "
       "capacity=\"16\" allowCrossPlay=\"true\" password=\"\"/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FSVersionToNumberStr(c.Version).toStdString());
    WriteFile(games.GameSettings(c.Version), FS22Settings);
    QString filter = L("old"), password = L("old");
    dm.GetFSJoinGame(c.Version, filter, password);
    EXPECT_EQ(filter, QString());
    EXPECT_EQ(password, QString());

    dm.SetFSJoinGame(c.Version, L("Local Farm"), QString());
    QByteArray expected = FS22Settings;
    expected.replace("</gameSettings>", QByteArray("    ") + c.Element + "\n</gameSettings>");
    EXPECT_EQ(ReadFile(games.GameSettings(c.Version)), expected);
  }
}

TEST_F(GameSettingsTest, ExistingJoinGameIsChangedInPlace) {
  WriteFile(games.GameSettings(TFSVersion::fsv19), FS19Settings);
  QString filter, password;
  dm.GetFSJoinGame(TFSVersion::fsv19, filter, password);
  EXPECT_EQ(filter, L("ktosie"));
  EXPECT_EQ(password, L("12345"));

  dm.SetFSJoinGame(TFSVersion::fsv19, L("Nowy"), L("pa\"ss"));
  QByteArray expected = FS19Settings;
  expected.replace("serverName=\"ktosie\"", "serverName=\"Nowy\"");
  expected.replace("password=\"12345\"", "password=\"pa&quot;ss\"");
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv19)), expected);

  // Missing attributes are added at the end.
  WriteFile(games.GameSettings(TFSVersion::fsv19),
            "<gameSettings><joinGame capacity=\"16\"/></gameSettings>");
  filter = L("x");
  dm.GetFSJoinGame(TFSVersion::fsv19, filter, password);
  EXPECT_EQ(filter, QString());
  dm.SetFSJoinGame(TFSVersion::fsv19, L("a"), L("b"));
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv19)),
            QByteArray("<gameSettings><joinGame capacity=\"16\" serverName=\"a\" "
                       "password=\"b\"/></gameSettings>"));
}

TEST_F(GameSettingsTest, InGameNameByGeneration) {
  WriteFile(games.GameSettings(TFSVersion::fsv19), FS19Settings);
  WriteFile(games.GameSettings(TFSVersion::fsv22), FS22Settings);
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv19), L("Batek"));
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv22), L("jono"));
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv25), QString()); // no file

  dm.SetFSInGameName(TFSVersion::fsv19, L("Anna"));
  dm.SetFSInGameName(TFSVersion::fsv22, L("Bärbel"));
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv19), L("Anna"));
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv22), L("Bärbel"));
  QByteArray expected = FS22Settings;
  expected.replace(">jono<", ">B\xC3\xA4rbel<");
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv22)), expected);

  // An empty element reads as empty and gets no text.
  const QByteArray empty =
      "<gameSettings>\n  <onlinePresenceName></onlinePresenceName>\n</gameSettings>\n";
  WriteFile(games.GameSettings(TFSVersion::fsv25), empty);
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv25), QString());
  dm.SetFSInGameName(TFSVersion::fsv25, L("Carl"));
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv25), QString());
}

TEST_F(GameSettingsTest, DeveloperConsoleInGameXml) {
  const QString path = games.MyGames(TFSVersion::fsv22) + QStringLiteral("/game.xml");
  QDir().mkpath(games.MyGames(TFSVersion::fsv22));
  EXPECT_FALSE(dm.GetFSEnableDevConsole(TFSVersion::fsv22));
  dm.SetFSEnableDevConsole(TFSVersion::fsv22, true);
  EXPECT_FALSE(QFile::exists(path)); // never created

  WriteFile(path, GameXml);
  EXPECT_FALSE(dm.GetFSEnableDevConsole(TFSVersion::fsv22));
  dm.SetFSEnableDevConsole(TFSVersion::fsv22, true);
  EXPECT_TRUE(dm.GetFSEnableDevConsole(TFSVersion::fsv22));
  QByteArray expected = GameXml;
  expected.replace(">false<", ">true<");
  EXPECT_EQ(ReadFile(path), expected);
  dm.SetFSEnableDevConsole(TFSVersion::fsv22, false);
  EXPECT_EQ(ReadFile(path), GameXml);

  WriteFile(path, "<game><development><controls>TRUE</controls></development></game>");
  EXPECT_FALSE(dm.GetFSEnableDevConsole(TFSVersion::fsv22));
}

TEST_F(GameSettingsTest, FileNamesMatchIgnoringCase) {
  const QString path = games.MyGames(TFSVersion::fsv22) + QStringLiteral("/GameSettings.xml");
  WriteFile(path, FS22Settings);
  WriteFile(games.MyGames(TFSVersion::fsv22) + QStringLiteral("/Game.XML"), GameXml);
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv22), L("jono"));
  dm.SetFSModFolder(TFSVersion::fsv22, L("D:/m"));
  EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22), L("D:/m"));
  dm.SetFSEnableDevConsole(TFSVersion::fsv22, true);
  EXPECT_TRUE(dm.GetFSEnableDevConsole(TFSVersion::fsv22));
  EXPECT_EQ(QDir(games.MyGames(TFSVersion::fsv22)).entryList(QDir::Files),
            QStringList({L("Game.XML"), L("GameSettings.xml")}));
}

TEST_F(GameSettingsTest, MissingOrUnreadableFilesAreNeverWritten) {
  // No documents folder of the generation at all.
  QString filter = L("kept"), password = L("kept");
  dm.SetFSModFolder(TFSVersion::fsv25, L("D:/m"));
  dm.SetFSJoinGame(TFSVersion::fsv25, L("a"), L("b"));
  dm.SetFSInGameName(TFSVersion::fsv25, L("n"));
  dm.GetFSJoinGame(TFSVersion::fsv25, filter, password);
  EXPECT_EQ(filter, L("kept"));
  EXPECT_EQ(password, L("kept"));
  EXPECT_FALSE(QDir(games.MyGames(TFSVersion::fsv25)).exists());

  // A file the game left half written.
  const QByteArray broken = FS22Settings.left(FS22Settings.size() - 20);
  WriteFile(games.GameSettings(TFSVersion::fsv22), broken);
  WriteFile(games.MyGames(TFSVersion::fsv22) + QStringLiteral("/game.xml"), "<game><development>");
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv22), QString());
  EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22), QString());
  dm.GetFSJoinGame(TFSVersion::fsv22, filter, password);
  EXPECT_EQ(filter, QString());
  dm.SetFSModFolder(TFSVersion::fsv22, L("D:/m"));
  dm.SetFSJoinGame(TFSVersion::fsv22, L("a"), L("b"));
  dm.SetFSInGameName(TFSVersion::fsv22, L("n"));
  dm.SetFSEnableDevConsole(TFSVersion::fsv22, true);
  EXPECT_EQ(ReadFile(games.GameSettings(TFSVersion::fsv22)), broken);
  EXPECT_EQ(ReadFile(games.MyGames(TFSVersion::fsv22) + QStringLiteral("/game.xml")),
            QByteArray("<game><development>"));
}

TEST_F(GameSettingsTest, ReadOnlyFileRaisesAndStaysByteForByte) {
  const QString path = games.GameSettings(TFSVersion::fsv22);
  WriteFile(path, FS22Settings);
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
  try {
    dm.SetFSModFolder(TFSVersion::fsv22, L("D:/m"));
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_TRUE(e.Message().startsWith(L("Unable to write to ") + path)) << e.what();
  }
  EXPECT_EQ(ReadFile(path), FS22Settings);
  EXPECT_EQ(QDir(games.MyGames(TFSVersion::fsv22)).entryList(QDir::Files | QDir::Hidden),
            QStringList({L("gameSettings.xml")}));
}

TEST_F(GameSettingsTest, FullDiskRaisesAndLeavesTheFileByteForByte) {
  // A file-size limit stands in for a full disk; it is set in a child process
  // so the test process keeps writing freely.
  const QString path = games.GameSettings(TFSVersion::fsv22);
  QByteArray big = FS22Settings;
  big.replace("<volume>", "<volume>\n" + QByteArray(8000, ' '));
  WriteFile(path, big);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    int code = 1;
    try {
      dm.SetFSModFolder(TFSVersion::fsv22, L("D:/m"));
    } catch (const EAppError&) {
      code = 0;
    } catch (...) {
      code = 2;
    }
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no error raised, 2: another exception";
  EXPECT_EQ(ReadFile(path), big) << ReadFile(path).size() << " " << big.size();
  EXPECT_EQ(QDir(games.MyGames(TFSVersion::fsv22)).entryList(QDir::Files | QDir::Hidden),
            QStringList({L("gameSettings.xml")}));
}

} // namespace
} // namespace tilvane
