#include "UpdateTaskFixture.h"

#include "core/server/ModListCheck.h"
#include "core/server/ParseServerModList.h"

#include <QFileInfo>

#include <chrono>
#include <thread>

namespace tilvane::test {
namespace {

using namespace std::chrono_literals;

TEST_F(UpdateModsTaskTest, EveryLayoutBringsTheFolderInLine) {
  for (TPageLayout Layout :
       {TPageLayout::Table90, TPageLayout::Grid91, TPageLayout::Grid92, TPageLayout::Grid100}) {
    SCOPED_TRACE(static_cast<int>(Layout));
    QDir(Folder.Folder).removeRecursively();
    Folder.RemoveModsNotOnServer = true;
    // Same author and version in another letter case: stays.
    MakeModArchive(Mod(QStringLiteral("Same.zip")), QStringLiteral("TESTER"), Yes);
    // A name that differs only in letter case is the same archive.
    MakeModArchive(Mod(QStringLiteral("case.zip")), QStringLiteral("Tester"), Yes);
    // The server's version has a trailing blank: replaced.
    MakeModArchive(Mod(QStringLiteral("Blank.zip")), QStringLiteral("Tester"), Yes);
    // Half-written by an earlier run: replaced.
    WriteFile(Mod(QStringLiteral("Half.zip")), QByteArray("PK\x03\x04partial", 11));
    MakeModArchive(Mod(QStringLiteral("Stray.zip")), QStringLiteral("Tester"), Yes);
    MakeModArchive(Mod(QStringLiteral("sub/Deep.zip")), QStringLiteral("Tester"), Yes);
    WriteFile(Mod(QStringLiteral("notes.txt")), "keep");
    Serve(Layout,
          {{QStringLiteral("Same.zip")},
           {QStringLiteral("Case.zip")},
           {QStringLiteral("Blank.zip"), QStringLiteral("Tester"), QStringLiteral("1.0.0.0 ")},
           {QStringLiteral("Half.zip")},
           {QStringLiteral("New.zip")},
           {QStringLiteral("Game.DLC"), QStringLiteral("Tester"), Yes,
            QStringLiteral("mods/Game.DLC")}});
    const int Before = Server.Requests("/mods/");

    EXPECT_TRUE(Run());
    EXPECT_TRUE(Task->FinalMsg().isEmpty()) << Task->FinalMsg().toStdString();
    EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
    EXPECT_EQ(FilesIn(Folder.Folder),
              (QStringList{QStringLiteral("Blank.zip"), QStringLiteral("Half.zip"),
                           QStringLiteral("New.zip"), QStringLiteral("Same.zip"),
                           QStringLiteral("case.zip"), QStringLiteral("notes.txt"),
                           QStringLiteral("sub")}));
    EXPECT_TRUE(QFile::exists(Mod(QStringLiteral("sub/Deep.zip"))));
    EXPECT_EQ(Server.Requests("/mods/") - Before, 3);
    EXPECT_EQ(Server.Requests("/mods/Game.DLC"), 0);
    EXPECT_EQ(ReadFile(Mod(QStringLiteral("Half.zip"))),
              ReadFile(Env.PathOf(QStringLiteral("served/Half.zip"))));
    EXPECT_EQ(Progress.Downloads().last(), QStringLiteral("3/3 New.zip"));
  }
}

TEST_F(UpdateModsTaskTest, NothingToDoEndsOkWithoutDownloads) {
  MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("tester"), QStringLiteral("1.0.0.0"));
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip"), QStringLiteral("Tester")}});
  EXPECT_TRUE(Run());
  EXPECT_EQ(Server.Requests("/mods/"), 0);
  EXPECT_TRUE(Task->FinalMsg().isEmpty());
}

TEST_F(UpdateModsTaskTest, DescriptionInAWindowsCodePageMatchesTheServersAuthor) {
  // Saved by a Windows editor: "Jérôme" in Windows-1252.
  MakeZip(Mod(QStringLiteral("A.zip")),
          {{QStringLiteral("modDesc.xml"),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<modDesc><author>J\xE9r\xF4me"
            "</author><version>1.0.0.0</version></modDesc>\r\n"}});
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip"), QStringLiteral("J\u00e9r\u00f4me")}});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(Server.Requests("/mods/"), 0);
}

TEST_F(UpdateModsTaskTest, HostileFileNamesRefuseTheSync) {
  Folder.RemoveModsNotOnServer = true;
  const QString Outside = Env.PathOf(QStringLiteral("evil.zip"));
  WriteFile(Outside, "outside");
  const bool TmpExisted = QFile::exists(QStringLiteral("/tmp/x.zip"));
  MakeModArchive(Mod(QStringLiteral("Mine.zip")), QStringLiteral("Me"), Yes);
  const auto Before = Contents();
  std::vector<TPageRow> Rows;
  for (const char* Name : {"../evil.zip", "/tmp/x.zip", "C:evil.zip", "..", "a\\b.zip"})
    Rows.push_back(
        {QLatin1String(Name), QStringLiteral("Other"), Yes, QStringLiteral("mods/x.bin")});
  Rows.push_back({QStringLiteral("Good.zip")});
  SetPage(TPageLayout::Table90, Rows);
  ServeArchive(QStringLiteral("Good.zip"), QStringLiteral("Tester"), Yes);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(), QStringLiteral("The mod list of the server could not be read "
                                             "completely (1 of 6 mods recognised). No mods were "
                                             "deleted."));
  EXPECT_EQ(ReadFile(Outside), QByteArray("outside"));
  EXPECT_EQ(QFile::exists(QStringLiteral("/tmp/x.zip")), TmpExisted);
  EXPECT_EQ(Contents(), Before);
  EXPECT_EQ(Server.Requests("/mods/"), 0);
}

TEST_F(UpdateModsTaskTest, EndStates) {
  // Login still required, anywhere on the page.
  Serve(TPageLayout::Grid100, {{QStringLiteral("A | Login.zip")}});
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("Unable to retrieve mod list from Farming Simulator dedicated "
                           "server.\r\nError: Unable to log into server."));

  // Not a server's mod list page at all.
  Server.SetPage(QStringLiteral("<html>Not Found</html>"));
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("Unable to retrieve mod list from Farming Simulator dedicated "
                           "server.\r\nError: Server URL does not look like a Farming Simulator "
                           "dedicated server mod list page."));
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());

  // A mod list page without a version marker: only the parser's own message.
  Server.SetPage(
      QStringLiteral("<title>Farming Simulator Dedicated Server | Mods</title><table></table>"));
  EXPECT_FALSE(Run());
  EXPECT_TRUE(Task->FinalMsg().isEmpty());
  EXPECT_EQ(Env.Prompts().Messages(),
            QStringList{QStringLiteral(
                "Unable to detect the Farming Simulator dedicated server version.")});

  // A server of another generation than the folder's.
  SetPage(TPageLayout::Table90, {{QStringLiteral("C.zip")}});
  Generation = TFSVersion::fsv25;
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("Unable to retrieve mod list from Farming Simulator dedicated "
                           "server.\r\nError: The Server URL is not a Farming Simulator 25 "
                           "dedicated server.\r\nIt was detected to be a Farming Simulator 22."));

  // Third answer other than 200.
  Serve(TPageLayout::Grid92, {{QStringLiteral("C.zip")}});
  Server.SetStatusSequence(QStringLiteral("C.zip"), {500, 500, 503});
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(), QStringLiteral("Unable to download C.zip. Exiting.\r\nError: Service "
                                             "Unavailable(Code: 503)"));
  EXPECT_TRUE(FilesIn(Folder.Folder).isEmpty());

  // Two bad answers are retried; the archive holds the good body alone.
  Server.SetStatusSequence(QStringLiteral("C.zip"), {500, 404});
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("C.zip"))), Served(QStringLiteral("C.zip")));

  // An archive without a description cannot be judged: a fresh copy mends it.
  MakeZip(Mod(QStringLiteral("C.zip")), {{QStringLiteral("other.xml"), "<x/>"}});
  Task = NewTask();
  Task->Start();
  ASSERT_TRUE(Task->WaitFor(10000));
  EXPECT_FALSE(Task->Error());
  EXPECT_TRUE(Task->FinishedUpdating()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("C.zip"))), Served(QStringLiteral("C.zip")));
}

TEST_F(UpdateModsTaskTest, MissingFolderIsCreated) {
  Folder.Folder = Env.PathOf(QStringLiteral("new/deeper/mods"));
  Serve(TPageLayout::Grid91, {{QStringLiteral("A.zip")}});
  EXPECT_TRUE(Run());
  EXPECT_TRUE(QFile::exists(Mod(QStringLiteral("A.zip"))));
}

TEST_F(UpdateModsTaskTest, CancelWhileTheMostTimeIsSpent) {
  // During the page fetch: no message even though the fetch is cut short.
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}});
  Server.SetPageDelay(400);
  Task = NewTask();
  Task->Start();
  std::this_thread::sleep_for(100ms);
  Task->Cancel();
  ASSERT_TRUE(Task->WaitFor(10000));
  EXPECT_TRUE(Task->IsCancelled());
  EXPECT_FALSE(Task->FinishedUpdating());
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());

  // In the middle of a download.
  Server.SetPageDelay(0);
  Server.SetFile(QStringLiteral("A.zip"), QByteArray(400 * 1024, 'z'));
  Server.SetSlow(4096, 10);
  Task = NewTask();
  Task->Start();
  while (Server.BytesSent() < 8192)
    std::this_thread::sleep_for(5ms);
  Task->Cancel();
  ASSERT_TRUE(Task->WaitFor(5000));
  EXPECT_FALSE(Task->FinishedUpdating());
  // Neither a stump under the archive's name nor the partial download.
  EXPECT_TRUE(FilesIn(Folder.Folder).isEmpty()) << FilesIn(Folder.Folder).join(u' ').toStdString();
}

TEST_F(UpdateModsTaskTest, PauseStopsTheTransfer) {
  SetPage(TPageLayout::Table90, {{QStringLiteral("A.zip")}});
  // An archive of 200 KiB that does not compress.
  QByteArray Noise(200 * 1024, '\0');
  quint32 State = 12345;
  for (char& Byte : Noise) {
    State = State * 1103515245u + 12345u;
    Byte = static_cast<char>(State >> 24);
  }
  MakeZip(Env.PathOf(QStringLiteral("served/A.zip")),
          {{QStringLiteral("modDesc.xml"), ModDescXml(QStringLiteral("Tester"), Yes)},
           {QStringLiteral("noise.bin"), Noise}});
  const QByteArray Body = Served(QStringLiteral("A.zip"));
  Server.SetFile(QStringLiteral("A.zip"), Body);
  Server.SetSlow(2048, 5);
  Task = NewTask();
  Task->Start();
  while (Progress.Downloads().isEmpty() || Progress.FileStatusCalls() < 10)
    std::this_thread::sleep_for(2ms);
  Task->SetPaused(true);
  std::this_thread::sleep_for(100ms);
  const int Calls = Progress.FileStatusCalls();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(Progress.FileStatusCalls(), Calls);
  EXPECT_FALSE(Task->Ended());
  Task->SetPaused(false);
  ASSERT_TRUE(Task->WaitFor(20000));
  EXPECT_TRUE(Task->FinishedUpdating());
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Body);
}

TEST_F(UpdateModsTaskTest, PercentEncodedLinksAreSound) {
  Serve(TPageLayout::Table90, {{QStringLiteral("My Mod.zip"), QStringLiteral("Tester"), Yes,
                                QStringLiteral("mods/My%20Mod.zip")}});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_TRUE(QFile::exists(Mod(QStringLiteral("My Mod.zip"))));
}

// A folder with a web login gets the view of a logged-in administrator;
// the sync must end with the same files as one against the public page.
TEST_F(UpdateModsTaskTest, WebLoginSyncsLikeThePublicPage) {
  const std::vector<TPageRow> Rows = {
      {QStringLiteral("Same.zip")},
      {QStringLiteral("Old.zip")},
      {QStringLiteral("New.zip")},
      {QStringLiteral("pdlc_pack.dlc"), QStringLiteral("Tester"), Yes, {}, false}};
  for (TPageLayout Layout :
       {TPageLayout::Table90, TPageLayout::Grid91, TPageLayout::Grid92, TPageLayout::Grid100}) {
    SCOPED_TRACE(static_cast<int>(Layout));
    Serve(Layout, Rows);
    Server.SetLoggedInPage(MakeAdminModPage(Layout, Rows));
    // Each file of the folder at the end, and whether it is the server's.
    std::map<QString, bool> EndStates[2];
    for (const bool LoggedIn : {false, true}) {
      QDir(Folder.Folder).removeRecursively();
      Folder.RemoveModsNotOnServer = true;
      // Current, but not byte for byte the server's file: it must stay.
      MakeZip(Mod(QStringLiteral("Same.zip")),
              {{QStringLiteral("modDesc.xml"), ModDescXml(QStringLiteral("Tester"), Yes)},
               {QStringLiteral("mine.txt"), "the player's"}});
      MakeModArchive(Mod(QStringLiteral("Old.zip")), QStringLiteral("Tester"),
                     QStringLiteral("0.9.0.0"));
      MakeModArchive(Mod(QStringLiteral("Stray.zip")), QStringLiteral("Tester"), Yes);
      Folder.WebUsername = LoggedIn ? QStringLiteral("admin") : QString();
      Folder.WebPassword = LoggedIn ? QStringLiteral("secret") : QString();
      const int Before = Server.Requests("/mods.html?login=true");
      EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
      EXPECT_EQ(Server.Requests("/mods.html?login=true") - Before, LoggedIn ? 1 : 0);
      for (const auto& [Name, Content] : Contents())
        EndStates[LoggedIn][Name] = Content == Served(Name);
    }
    EXPECT_EQ(EndStates[1], EndStates[0]);
    // Same kept, Old replaced, New downloaded; Stray went to the trash.
    EXPECT_EQ(EndStates[1], (std::map<QString, bool>{{QStringLiteral("New.zip"), true},
                                                     {QStringLiteral("Old.zip"), true},
                                                     {QStringLiteral("Same.zip"), false}}));
  }
}

} // namespace
} // namespace tilvane::test
