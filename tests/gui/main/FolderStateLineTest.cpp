// The line under each mod folder button: archive count and size, and for a
// folder that follows a server what the background check of its page found.
#include "MainWindowFixture.h"

#include "core/update/FolderStateModel.h"
#include "gui/main/ModFolderFR.h"
#include "support/FailingPorts.h"
#include "support/WidgetChild.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

namespace tilvane::test {

namespace {

QString LineOf(TfrModFolder* AFrame) {
  return Child<QLabel>(*AFrame, "lblFolderState").text();
}

} // namespace

TEST_F(MainWindowTest, EachButtonShowsWhereItsFolderStands) {
  Install(TFSVersion::fsv25);
  Server.SetPage(
      MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}}));
  TModFolder InLine = MakeFolder(QStringLiteral("InLine"), true);
  MakeModArchive(InLine.Folder + QStringLiteral("/A.zip"), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  MakeModArchive(InLine.Folder + QStringLiteral("/B.zip"), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  TModFolder Behind = MakeFolder(QStringLiteral("Behind"), true);
  MakeModArchive(Behind.Folder + QStringLiteral("/A.zip"), QStringLiteral("Tester"),
                 QStringLiteral("0.9.0.0"));
  MakeModArchive(Behind.Folder + QStringLiteral("/Stray.zip"), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  ClosedPort Closed;
  TModFolder Gone = MakeFolder(QStringLiteral("Gone"), true);
  Gone.DedicatedServerURL = QStringLiteral("http://127.0.0.1:%1/mods.html").arg(Closed.Port());
  QDir().mkpath(Gone.Folder);
  TModFolder Plain = MakeFolder(QStringLiteral("Plain"));
  WriteFile(Plain.Folder + QStringLiteral("/a.zip"), QByteArray(1024 * 1024, 'a'));
  WriteFile(Plain.Folder + QStringLiteral("/b.zip"), QByteArray(1024 * 1024 + 600 * 1024, 'b'));
  WriteFile(Plain.Folder + QStringLiteral("/readme.txt"), QByteArray(900 * 1024, 'r'));
  SetFolders(TFSVersion::fsv25, {InLine, Behind, Gone, Plain});
  const auto Before = [&] {
    std::map<QString, QByteArray> Files;
    for (const TModFolder& Folder : {InLine, Behind, Gone, Plain})
      for (const QString& Name : QDir(Folder.Folder).entryList(QDir::Files))
        Files[Folder.Name + u'/' + Name] = ReadFile(Folder.Folder + u'/' + Name);
    return Files;
  };
  const auto FilesBefore = Before();
  const QByteArray GameSettingsBefore = ReadFile(Games.GameSettings(TFSVersion::fsv25));

  TfmMain& Main = Open();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (const TModFolder& Folder : {InLine, Behind, Gone, Plain})
          if (Main.FolderStates().Busy(Folder.Folder))
            return false;
        return true;
      },
      10000));
  Settle();

  const std::vector<TfrModFolder*> Frames = Main.Frames();
  ASSERT_EQ(Frames.size(), 4u);
  // The archives were made by the test: their size is a few hundred bytes.
  EXPECT_EQ(LineOf(Frames[0]),
            QString::fromUtf8("2 mods, 1 KB \u00b7 In line with the server, just now"));
  EXPECT_EQ(LineOf(Frames[1]), QString::fromUtf8("2 mods, 1 KB \u00b7 2 to download, 1 to remove"));
  EXPECT_EQ(LineOf(Frames[2]), QString::fromUtf8("No mods \u00b7 Server did not answer"));
  EXPECT_EQ(LineOf(Frames[3]), QStringLiteral("2 mods, 3 MB"));
  EXPECT_EQ(Child<QPushButton>(*Frames[3], "btnModFolder").toolTip(),
            QStringLiteral("2 mods, 3 MB"));

  // A redraw rebuilds the buttons from what is known, without asking again.
  const int PageRequests = Server.Requests("/mods.html");
  Main.UpdateGUI(true);
  EXPECT_EQ(LineOf(Main.Frames()[1]),
            QString::fromUtf8("2 mods, 1 KB \u00b7 2 to download, 1 to remove"));
  EXPECT_EQ(Server.Requests("/mods.html"), PageRequests);

  // The checks downloaded, removed and wrote nothing of the player's.
  EXPECT_EQ(Server.Requests("/mods/"), 0);
  EXPECT_EQ(Before(), FilesBefore);
  EXPECT_EQ(ReadFile(Games.GameSettings(TFSVersion::fsv25)), GameSettingsBefore);
  EXPECT_TRUE(Env.Prompts().History().empty());
  EXPECT_TRUE(Reported.empty());
}

} // namespace tilvane::test
