// The developer listing and its window on the fake platform.
#include "support/GameSandbox.h"

#include "gui/settings/DeveloperInfoFM.h"
#include "windowlogic/DeveloperInfo.h"

#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <functional>

namespace tilvane::test {
namespace {

constexpr TFSVersion FS22 = TFSVersion::fsv22;

// A mods folder override in FS22's file, so that the active folder shows.
const QByteArray FS22SettingsWithOverride =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                      "<gameSettings revision=\"15\">\n"
                      "    <modsDirectoryOverride active=\"true\" directory=\"D:/mods/Server\"/>\n"
                      "    <onlinePresenceName>jono</onlinePresenceName>\n"
                      "</gameSettings>\n");

class DeveloperInfoTest : public ::testing::Test {
protected:
  DeveloperInfoTest() {
    S.DataModule.SetModManagerModFolders(S.Env.PathOf(QStringLiteral("mods")));
    S.Install(FS22);
    WriteFile(S.Games.GameSettings(FS22), FS22SettingsWithOverride);
  }

  QString FS22Folder() const { return S.Games.MyGames(FS22); }

  TGameSandbox S;
};

TEST_F(DeveloperInfoTest, ListsFS22ThenFS19InTwoColumns) {
  const QStringList Expected = {
      QStringLiteral("ModManager ModFolders:           ") + S.Env.PathOf(QStringLiteral("mods")),
      QString(),
      QStringLiteral("FS22 GameSettings.xml location:  ") + FS22Folder() +
          QStringLiteral("/GameSettings.xml"),
      QStringLiteral("FS22 GameSettings.xml exists:    True"),
      QStringLiteral("FS22 GameSettings.xml writable:  True"),
      QStringLiteral("FS22 Is Running:                 False"),
      QStringLiteral("FS22 Program Location:           ") + S.Games.Executable(FS22),
      QStringLiteral("FS22 My Games Folder:            ") + FS22Folder(),
      QStringLiteral("FS22 Active FS Mod Folder:       D:/mods/Server"),
      QStringLiteral("FS22 In Game Name:               jono"),
      QString(),
      // FS19 never ran here: no documents folder, so the name stands alone.
      QStringLiteral("FS19 GameSettings.xml location:  GameSettings.xml"),
      QStringLiteral("FS19 GameSettings.xml exists:    False"),
      QStringLiteral("FS19 Is Running:                 False"),
      QStringLiteral("FS19 Program Location:           "),
      QStringLiteral("FS19 My Games Folder:            "),
      QStringLiteral("FS19 Active FS Mod Folder:       "),
      QStringLiteral("FS19 In Game Name:               "),
  };
  EXPECT_EQ(DeveloperInfoLines(S.DataModule), Expected);
  // The write test wrote the name back as it was.
  EXPECT_EQ(ReadFile(S.Games.GameSettings(FS22)), FS22SettingsWithOverride);
  EXPECT_TRUE(S.Env.Prompts().History().empty());
}

TEST_F(DeveloperInfoTest, TheSettingsFileLinesFollowWhatIsOnDisk) {
  const QString Location = QStringLiteral("FS22 GameSettings.xml location:  ") + FS22Folder() +
                           QStringLiteral("/GameSettings.xml");
  const struct {
    const char* Name;
    std::function<void()> Arrange;
    QStringList Lines; // lines 3 to the "Is Running" line
  } Cases[] = {
      {"in the game's spelling",
       [] {},
       {Location, QStringLiteral("FS22 GameSettings.xml exists:    True"),
        QStringLiteral("FS22 GameSettings.xml writable:  True"),
        QStringLiteral("FS22 Is Running:                 False")}},
      {"in another letter case",
       [this] {
         QDir().rename(S.Games.GameSettings(FS22),
                       FS22Folder() + QStringLiteral("/GAMESETTINGS.XML"));
       },
       {Location, QStringLiteral("FS22 GameSettings.xml exists:    True"),
        QStringLiteral("FS22 GameSettings.xml writable:  True"),
        QStringLiteral("FS22 Is Running:                 False")}},
      {"missing",
       [this] { QFile::remove(S.Games.GameSettings(FS22)); },
       {Location, QStringLiteral("FS22 GameSettings.xml exists:    False"),
        QStringLiteral("FS22 Is Running:                 False")}},
      {"read-only",
       [this] {
         // Read-only by its permission bits: the program refuses to write
         // such a file also when it runs as root.
         QFile::setPermissions(S.Games.GameSettings(FS22),
                               QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
       },
       {Location, QStringLiteral("FS22 GameSettings.xml exists:    True"),
        QStringLiteral("FS22 GameSettings.xml writable:  False (Err: Unable to write to ") +
            FS22Folder() + QStringLiteral("/gameSettings.xml\r\nError: Permission denied"),
        QStringLiteral("FS22 Is Running:                 False")}},
      {"while the game runs",
       [this] {
         S.Env.Platform().SetRunningProcesses({"systemd", "FarmingSimulator2022Game.exe"});
       },
       {Location, QStringLiteral("FS22 GameSettings.xml exists:    True"),
        QStringLiteral("FS22 GameSettings.xml writable:  True"),
        QStringLiteral("FS22 Is Running:                 True")}},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    WriteFile(S.Games.GameSettings(FS22), FS22SettingsWithOverride);
    QFile::setPermissions(S.Games.GameSettings(FS22), QFile::ReadOwner | QFile::WriteOwner);
    S.Env.Platform().SetRunningProcesses({});
    Case.Arrange();
    EXPECT_EQ(DeveloperInfoLines(S.DataModule).mid(2, Case.Lines.size()), Case.Lines);
    QFile::remove(FS22Folder() + QStringLiteral("/GAMESETTINGS.XML"));
  }
}

TEST_F(DeveloperInfoTest, AGameUnderProtonShowsItsPrefix) {
  const QString Prefix = S.RunUnderProton(FS22);
  const QStringList Lines = DeveloperInfoLines(S.DataModule);
  ASSERT_EQ(Lines.size(), 19);
  EXPECT_EQ(
      Lines.mid(6, 3),
      QStringList({QStringLiteral("FS22 Program Location:           ") + S.Games.Executable(FS22),
                   QStringLiteral("FS22 Runs Under Proton, Prefix:  ") + Prefix,
                   QStringLiteral("FS22 My Games Folder:            ") + FS22Folder()}));
  // FS19 runs natively: no such line.
  EXPECT_FALSE(Lines.mid(11).join(QLatin1Char('\n')).contains(QStringLiteral("Proton")));
}

TEST_F(DeveloperInfoTest, TheWindowShowsTheListingInAFixedFontWithoutWrapping) {
  QFile::setPermissions(S.Games.GameSettings(FS22),
                        QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  TfmDeveloperInfo Window(nullptr, S.DataModule);
  EXPECT_EQ(Window.objectName(), QStringLiteral("fmDeveloperInfo"));
  EXPECT_EQ(Window.windowTitle(), QStringLiteral("Developer Info"));
  const auto& Memo = Child<QPlainTextEdit>(Window, "mmoInfo");
  EXPECT_TRUE(Memo.isReadOnly());
  EXPECT_EQ(Memo.lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_EQ(Memo.font().pixelSize(), 12);
  EXPECT_TRUE(QFontInfo(Memo.font()).fixedPitch());

  // The reason's own line break is one line break in the window.
  const QStringList Shown = Memo.toPlainText().split(u'\n');
  ASSERT_EQ(Shown.size(), 19);
  EXPECT_EQ(Shown[4], QStringLiteral("FS22 GameSettings.xml writable:  False (Err: Unable to "
                                     "write to ") +
                          FS22Folder() + QStringLiteral("/gameSettings.xml"));
  EXPECT_EQ(Shown[5], QStringLiteral("Error: Permission denied"));
  EXPECT_EQ(Shown[18], QStringLiteral("FS19 In Game Name:               "));
  EXPECT_TRUE(S.Env.Prompts().History().empty());
  EXPECT_TRUE(S.Reported.empty());
}

TEST_F(DeveloperInfoTest, AFailureOutsideTheWriteTestIsReportedAndTheLinesBeforeItStay) {
  S.Env.Platform().SetProcessListError("no process list");
  TfmDeveloperInfo Window(nullptr, S.DataModule);
  EXPECT_EQ(Child<QPlainTextEdit>(Window, "mmoInfo").toPlainText(),
            QStringLiteral("ModManager ModFolders:           ") +
                S.Env.PathOf(QStringLiteral("mods")) +
                QStringLiteral("\n\nFS22 GameSettings.xml location:  ") + FS22Folder() +
                QStringLiteral("/GameSettings.xml\n"
                               "FS22 GameSettings.xml exists:    True\n"
                               "FS22 GameSettings.xml writable:  True"));
  EXPECT_EQ(ReportedMessage(S.Reported), QStringLiteral("no process list"));
}

} // namespace
} // namespace tilvane::test
