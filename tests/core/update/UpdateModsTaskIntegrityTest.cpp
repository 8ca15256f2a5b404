// What a sync leaves of the player's files when the server, the network, the
// disk or the player gets in the way: the archives are whole, old or new, and
// nothing goes before the mod list is known to be complete.
#include "UpdateTaskFixture.h"

#include "support/FailingPorts.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tilvane::test {
namespace {

using namespace std::chrono_literals;

const QString NotReadMessage = QStringLiteral(
    "The mod list of the server could not be read completely (%1 of %2 mods recognised). No mods "
    "were deleted.");

class UpdateIntegrityTest : public UpdateModsTaskTest {
protected:
  // A folder that a misread list or a failed download would ravage: A.zip
  // outdated, B.zip and C.zip current, the player's own notes.
  void Populate() {
    Folder.RemoveModsNotOnServer = true;
    MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Old"), Yes);
    MakeModArchive(Mod(QStringLiteral("B.zip")), QStringLiteral("Tester"), Yes);
    MakeModArchive(Mod(QStringLiteral("C.zip")), QStringLiteral("Tester"), Yes);
    WriteFile(Mod(QStringLiteral("readme.txt")), "the player's notes");
    Snapshot = Contents();
  }
  void ExpectUntouched() {
    EXPECT_EQ(Contents(), Snapshot);
    EXPECT_TRUE(FilesIn(Env.TrashFiles()).isEmpty());
  }
  void ExpectRefused(int ARecognised, int ARows) {
    EXPECT_FALSE(Run());
    EXPECT_EQ(Task->FinalMsg(), NotReadMessage.arg(ARecognised).arg(ARows));
    ExpectUntouched();
    EXPECT_EQ(Server.Requests("/mods/"), 0);
  }
  // Starts the task, cancels it after ADelay and tells how long the end took.
  qint64 MillisecondsToCancel(std::chrono::milliseconds ADelay) {
    Task = NewTask();
    Task->Client().SetConnectionTimeout(300000);
    Task->Client().SetResponseTimeout(300000);
    Task->Start();
    std::this_thread::sleep_for(ADelay);
    QElapsedTimer Timer;
    Timer.start();
    Task->Cancel();
    EXPECT_TRUE(Task->WaitFor(20000));
    return Timer.elapsed();
  }

  std::map<QString, QByteArray> Snapshot;
};

TEST_F(UpdateIntegrityTest, DownloadThatBreaksOffEveryTimeKeepsTheOldArchive) {
  Populate();
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}});
  Server.SetBreakOff(QStringLiteral("A.zip"), 100);
  EXPECT_FALSE(Run());
  EXPECT_TRUE(
      Task->FinalMsg().startsWith(QStringLiteral("Unable to download A.zip. Exiting.\r\nError: ")))
      << Task->FinalMsg().toStdString();
  EXPECT_EQ(Server.Requests("/mods/A.zip"), 3);
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Snapshot[QStringLiteral("A.zip")]);
  // C.zip, which the server does not list, went to the trash before the
  // downloads began.
  EXPECT_EQ(FilesIn(Folder.Folder), (QStringList{QStringLiteral("A.zip"), QStringLiteral("B.zip"),
                                                 QStringLiteral("readme.txt")}));
  EXPECT_EQ(FilesIn(Env.TrashFiles()), QStringList{QStringLiteral("C.zip")});
}

TEST_F(UpdateIntegrityTest, CancelDuringADownloadKeepsTheOldArchive) {
  Populate();
  Folder.RemoveModsNotOnServer = false;
  SetPage(TPageLayout::Table90, {{QStringLiteral("A.zip")}});
  Server.SetFile(QStringLiteral("A.zip"), QByteArray(400 * 1024, 'z'));
  Server.SetSlow(4096, 10);
  Task = NewTask();
  Task->Start();
  while (Server.BytesSent() < 8192)
    std::this_thread::sleep_for(5ms);
  Task->Cancel();
  ASSERT_TRUE(Task->WaitFor(5000));
  EXPECT_FALSE(Task->FinishedUpdating());
  ExpectUntouched();
}

TEST_F(UpdateIntegrityTest, FullDiskOnTheLastWriteKeepsTheOldArchive) {
  Populate();
  // The new archive ends with bytes that do not fit under the limit below.
  const QByteArray Fresh = QByteArray(96 * 1024, 'n');
  SetPage(TPageLayout::Grid92,
          {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}, {QStringLiteral("C.zip")}});
  ServeArchive(QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes);
  ServeArchive(QStringLiteral("C.zip"), QStringLiteral("Tester"), Yes);
  Server.SetFile(QStringLiteral("A.zip"), Fresh);
  // A file-size limit stands in for a full disk; it is set in a child process
  // so that this process goes on writing freely. The server stays here.
  const pid_t Child = fork();
  ASSERT_GE(Child, 0);
  if (Child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const auto Room = static_cast<rlim_t>(Fresh.size() - 10);
    const rlimit Limit{Room, Room};
    setrlimit(RLIMIT_FSIZE, &Limit);
    const bool Finished = Run();
    const bool Told = Task->FinalMsg().startsWith(QStringLiteral(
        "Unable to download A.zip. Exiting.\r\nError: Unable to write the received data: "));
    _exit(!Finished && Told ? 0 : 1);
  }
  int Status = 0;
  ASSERT_EQ(waitpid(Child, &Status, 0), Child);
  ASSERT_TRUE(WIFEXITED(Status));
  EXPECT_EQ(WEXITSTATUS(Status), 0) << "the task finished or said something else";
  ExpectUntouched();
}

TEST_F(UpdateIntegrityTest, PageThatIsNotTheModListRemovesNothing) {
  Populate();
  // The server's overview: it carries the version marker but lists no mods.
  QString Page = MakeModPage(TPageLayout::Grid100, {});
  Page.replace(QStringLiteral("| Mods</title>"), QStringLiteral("| Overview</title>"));
  Server.SetPage(Page);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("Unable to retrieve mod list from Farming Simulator dedicated "
                           "server.\r\nError: Server URL does not look like a Farming Simulator "
                           "dedicated server mod list page."));
  ExpectUntouched();
}

TEST_F(UpdateIntegrityTest, TableRowWithoutItsLinkRefusesTheSync) {
  Populate();
  Serve(TPageLayout::Table90, {{QStringLiteral("A.zip")},
                               {QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes, {}, false},
                               {QStringLiteral("C.zip")}});
  ExpectRefused(2, 3);
}

TEST_F(UpdateIntegrityTest, GridRowWithoutItsLinkRefusesTheSync) {
  Populate();
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")},
                               {QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes, {}, false},
                               {QStringLiteral("D.zip")}});
  ExpectRefused(2, 3);
}

TEST_F(UpdateIntegrityTest, RowThatIsNoArchiveRefusesTheSync) {
  Populate();
  Serve(TPageLayout::Grid91,
        {{QStringLiteral("A.zip")}, {QStringLiteral("readme.txt"), QStringLiteral("Tester"), Yes}});
  ExpectRefused(1, 2);
}

TEST_F(UpdateIntegrityTest, AdministratorsViewThatNoReaderReadsIsRefused) {
  Populate();
  Generation = TFSVersion::fsv25;
  // B's row lost its download link: neither the grammar nor the grid reader
  // can account for it.
  Server.SetPage(
      MakeAdminModPage100({{QStringLiteral("A.zip")},
                           {QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes, {}, false},
                           {QStringLiteral("C.zip")}}));
  ExpectRefused(2, 3);
}

TEST_F(UpdateIntegrityTest, FooterMisreadAsTheOnlyRowIsRefused) {
  Populate();
  // The mod sits in a block the 9.1 grammar does not know; the footer's
  // "download all" icon is the only grid row it finds.
  QString Page = MakeModPage(TPageLayout::Grid91, {});
  Page.replace(QStringLiteral("</div>\n<footer"),
               QStringLiteral("<div class=\"container-row mod-row\"><a href=\"mods/A.zip\">A</a>"
                              "</div>\n<div class=\"container-row grid-row\">\n  <div "
                              "class=\"container-row col col-lg-2 col-xs-12\" title=\"Total\">"
                              "<div class=\"col x\"><b>Total</b></div></div>\n  <div class=\"col "
                              "y\"><div class=\"col z\"><div class=\"col w\"><a "
                              "href=\"all_mods_download?onlyActive=true\"><img "
                              "src=\"s.png\"></a></div></div></div>\n</div>\n</div>\n<footer"));
  Generation = TFSVersion::fsv22;
  Server.SetPage(Page);
  ExpectRefused(0, 1);
}

TEST_F(UpdateIntegrityTest, RedownloadAllWhileTheServerIsDownKeepsEveryArchive) {
  Populate();
  const ClosedPort Down;
  Folder.DedicatedServerURL = Down.Url();
  EXPECT_FALSE(Run(true));
  EXPECT_TRUE(Task->FinalMsg().startsWith(QStringLiteral(
      "Unable to retrieve mod list from Farming Simulator dedicated server.\r\nError: ")))
      << Task->FinalMsg().toStdString();
  ExpectUntouched();
}

TEST_F(UpdateIntegrityTest, RedownloadAllReplacesEachArchiveThenRemovesTheRest) {
  Populate();
  Folder.RemoveModsNotOnServer = false;
  Serve(TPageLayout::Grid92, {{QStringLiteral("a.zip")}, {QStringLiteral("B.zip")}});
  EXPECT_TRUE(Run(true)) << Task->FinalMsg().toStdString();
  // Replaced under the name it had; the one the server does not list is in
  // the trash whatever the folder's setting.
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("a.zip")));
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("B.zip"))), Served(QStringLiteral("B.zip")));
  EXPECT_EQ(FilesIn(Folder.Folder), (QStringList{QStringLiteral("A.zip"), QStringLiteral("B.zip"),
                                                 QStringLiteral("readme.txt")}));
  EXPECT_EQ(ReadFile(Env.TrashFiles() + QStringLiteral("/C.zip")),
            Snapshot[QStringLiteral("C.zip")]);
  EXPECT_EQ(Server.Requests("/mods/"), 2);
}

TEST_F(UpdateIntegrityTest, RemovedArchivesCanBeFoundInTheTrash) {
  Populate();
  Serve(TPageLayout::Table90, {{QStringLiteral("B.zip")}});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(FilesIn(Env.TrashFiles()),
            (QStringList{QStringLiteral("A.zip"), QStringLiteral("C.zip")}));
  EXPECT_EQ(ReadFile(Env.TrashFiles() + QStringLiteral("/A.zip")),
            Snapshot[QStringLiteral("A.zip")]);
  EXPECT_EQ(Progress.Removed(), QStringLiteral("2/0"));
  EXPECT_EQ(FilesIn(Folder.Folder),
            (QStringList{QStringLiteral("B.zip"), QStringLiteral("readme.txt")}));
}

TEST_F(UpdateIntegrityTest, ServerWithoutModsAsksBeforeEveryArchiveGoes) {
  Populate();
  Serve(TPageLayout::Grid100, {});
  Env.Prompts().AnswerNo();
  EXPECT_FALSE(Run());
  EXPECT_TRUE(Task->FinalMsg().isEmpty());
  ASSERT_EQ(Env.Prompts().History().size(), 1u);
  EXPECT_EQ(
      Env.Prompts().History()[0].Text,
      QStringLiteral("The server lists no mods. Remove all 3 mod archives from this folder?"));
  EXPECT_FALSE(Env.Prompts().History()[0].YesIsDefault);
  ExpectUntouched();

  Env.Prompts().AnswerYes();
  EXPECT_TRUE(Run());
  EXPECT_EQ(FilesIn(Folder.Folder), QStringList{QStringLiteral("readme.txt")});
  EXPECT_EQ(FilesIn(Env.TrashFiles()).size(), 3);
}

TEST_F(UpdateIntegrityTest, PartialDownloadOfAKilledRunIsGoneAfterTheNextSync) {
  Populate();
  Folder.RemoveModsNotOnServer = false;
  const QString Leftover = QStringLiteral("Big.zip") + TUpdateModsTask::PartialDownloadSuffix();
  EXPECT_EQ(Leftover, QStringLiteral("Big.zip.tilvane-download"));
  WriteFile(Mod(Leftover), "half of it");
  Serve(TPageLayout::Grid100, {{QStringLiteral("B.zip")}});
  EXPECT_TRUE(Run());
  EXPECT_FALSE(QFile::exists(Mod(Leftover)));
  ExpectUntouched();
}

TEST_F(UpdateIntegrityTest, CancelEndsTheTaskAtOnceWhileConnectingOrWhileTheServerIsSilent) {
  const FullBacklogPort Busy;
  Folder.DedicatedServerURL = Busy.Url();
  EXPECT_LT(MillisecondsToCancel(200ms), 1000);
  EXPECT_TRUE(Task->FinalMsg().isEmpty());

  Folder.DedicatedServerURL = Server.PageURL();
  Server.SetPageSilent(true);
  EXPECT_LT(MillisecondsToCancel(200ms), 1000);
  EXPECT_EQ(Server.Requests("/mods.html"), 1);
  EXPECT_TRUE(Task->FinalMsg().isEmpty());
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

} // namespace
} // namespace tilvane::test
