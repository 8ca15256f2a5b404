#include "UpdateTestSupport.h"

#include "common/AppError.h"
#include "server/ParseServerModList.h"
#include "support/TestEnvironment.h"
#include "update/ModListCheck.h"
#include "update/UpdateModsTask.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace tilvane::test {
namespace {

using namespace std::chrono_literals;

const QString Yes = QStringLiteral("1.0.0.0");

class UpdateModsTaskTest : public ::testing::Test {
protected:
  UpdateModsTaskTest() {
    Folder.Name = QStringLiteral("Server");
    Folder.Folder = Env.PathOf(QStringLiteral("mods"));
    Folder.DedicatedServerURL = Server.PageURL();
    QDir().mkpath(Folder.Folder);
  }

  QString Mod(const QString& AName) const { return JoinPathOf(Folder.Folder, AName); }
  static QString JoinPathOf(const QString& A, const QString& B) { return A + u'/' + B; }

  // Serves an archive for each row that has a link.
  void Serve(TPageLayout ALayout, const std::vector<TPageRow>& ARows) {
    Server.SetPage(MakeModPage(ALayout, ARows));
    for (const TPageRow& Row : ARows)
      ServeArchive(Row.FileName, Row.Author, Row.Version);
  }
  void ServeArchive(const QString& AName, const QString& AAuthor, const QString& AVersion) {
    const QString Tmp = Env.PathOf(QStringLiteral("served/") + AName);
    MakeModArchive(Tmp, AAuthor, AVersion);
    Server.SetFile(AName, ReadFile(Tmp));
  }

  std::unique_ptr<TUpdateModsTask> NewTask() {
    auto Task = std::make_unique<TUpdateModsTask>(Folder, &TestServerURL, Progress, Env.Prompts(),
                                                  Env.PathOf(QStringLiteral("Temp")));
    Task->SetTimings({5, 20});
    Task->Client().SetConnectionTimeout(2000);
    return Task;
  }
  // Runs the task on this thread; true when it went through all phases.
  bool Run(bool ADeleteAllFirst = false) {
    Task = NewTask();
    Task->SetDeleteAllFilesFirst(ADeleteAllFirst);
    Task->UpdateModsTask();
    return Task->FinishedUpdating();
  }
  QStringList FilesIn(const QString& ADir) const {
    return QDir(ADir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  }

  TestEnvironment Env;
  TTestServer Server;
  TRecordingProgress Progress;
  TModFolder Folder;
  std::unique_ptr<TUpdateModsTask> Task;
};

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

TEST_F(UpdateModsTaskTest, HostileFileNamesNeverReachOutsideTheFolder) {
  Folder.RemoveModsNotOnServer = true;
  const QString Outside = Env.PathOf(QStringLiteral("evil.zip"));
  WriteFile(Outside, "outside");
  const bool TmpExisted = QFile::exists(QStringLiteral("/tmp/x.zip"));
  std::vector<TPageRow> Rows;
  for (const char* Name : {"../evil.zip", "/tmp/x.zip", "C:evil.zip", "..", "a\\b.zip"})
    Rows.push_back(
        {QLatin1String(Name), QStringLiteral("Other"), Yes, QStringLiteral("mods/x.bin")});
  Rows.push_back({QStringLiteral("Good.zip")});
  Server.SetPage(MakeModPage(TPageLayout::Table90, Rows));
  ServeArchive(QStringLiteral("Good.zip"), QStringLiteral("Tester"), Yes);
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(Outside), QByteArray("outside"));
  EXPECT_EQ(QFile::exists(QStringLiteral("/tmp/x.zip")), TmpExisted);
  EXPECT_EQ(FilesIn(Folder.Folder), QStringList{QStringLiteral("Good.zip")});
  EXPECT_EQ(Server.Requests("/mods/x.bin"), 0);
}

TEST_F(UpdateModsTaskTest, EndStates) {
  // Login still required, anywhere on the page.
  Serve(TPageLayout::Grid100, {{QStringLiteral("A | Login.zip")}});
  EXPECT_FALSE(Run());
  EXPECT_TRUE(Task->FinalMsg().endsWith(QStringLiteral("\r\nError: Unable to log into server.")));

  // A page the parser does not recognise: only its own message.
  Server.SetPage(QStringLiteral("<html>Not Found</html>"));
  Env.Prompts().Clear();
  EXPECT_FALSE(Run());
  EXPECT_TRUE(Task->FinalMsg().isEmpty());
  EXPECT_EQ(Env.Prompts().Messages().size(), 1);

  // Third answer other than 200.
  Serve(TPageLayout::Grid92, {{QStringLiteral("C.zip")}});
  Server.SetStatusSequence(QStringLiteral("C.zip"), {500, 500, 503});
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(), QStringLiteral("Unable to download C.zip. Exiting.\r\nError: Service "
                                             "Unavailable(Code: 503)"));

  // Two bad answers are retried; the archive holds the good body alone.
  QFile::remove(Mod(QStringLiteral("C.zip")));
  Server.SetStatusSequence(QStringLiteral("C.zip"), {500, 404});
  EXPECT_TRUE(Run());
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("C.zip"))),
            ReadFile(Env.PathOf(QStringLiteral("served/C.zip"))));

  // An error the task does not handle: an archive without a description.
  MakeZip(Mod(QStringLiteral("C.zip")), {{QStringLiteral("other.xml"), "<x/>"}});
  Task = NewTask();
  Task->Start();
  ASSERT_TRUE(Task->WaitFor(10000));
  EXPECT_TRUE(Task->Error());
  EXPECT_FALSE(Task->FinishedUpdating());
}

TEST_F(UpdateModsTaskTest, DeleteAllFirstAlsoWhenThePageFails) {
  MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("T"), Yes);
  WriteFile(Mod(QStringLiteral("keep.txt")), "k");
  Folder.DedicatedServerURL = QStringLiteral("http://127.0.0.1:1/mods.html");
  EXPECT_FALSE(Run(true));
  EXPECT_TRUE(Task->FinalMsg().startsWith(QStringLiteral(
      "Unable to retrieve mod list from Farming Simulator dedicated server.\r\nError: ")));
  EXPECT_EQ(FilesIn(Folder.Folder), QStringList{QStringLiteral("keep.txt")});
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
  EXPECT_LT(QFileInfo(Mod(QStringLiteral("A.zip"))).size(), 400 * 1024);
}

TEST_F(UpdateModsTaskTest, PauseStopsTheTransfer) {
  Server.SetPage(MakeModPage(TPageLayout::Table90, {{QStringLiteral("A.zip")}}));
  const QByteArray Body(200 * 1024, 'p');
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

// ---- the guard between the parsed list and any deletion -------------------

class ModListGuardTest : public UpdateModsTaskTest {
protected:
  // A folder that a misread list would ravage.
  void Populate() {
    Folder.RemoveModsNotOnServer = true;
    MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Old"), Yes);
    MakeModArchive(Mod(QStringLiteral("B.zip")), QStringLiteral("Tester"), Yes);
    MakeModArchive(Mod(QStringLiteral("C.zip")), QStringLiteral("Tester"), Yes);
    Snapshot = Contents();
  }
  std::map<QString, QByteArray> Contents() const {
    std::map<QString, QByteArray> Result;
    for (const QString& Name : FilesIn(Folder.Folder))
      Result[Name] = ReadFile(Mod(Name));
    return Result;
  }
  void ExpectRefused(int ASound, int ALinked) {
    EXPECT_FALSE(Run());
    EXPECT_EQ(Task->FinalMsg(),
              QStringLiteral("The mod list of the server could not be read completely (%1 of %2 "
                             "mods recognised). No mods were deleted.")
                  .arg(ASound)
                  .arg(ALinked));
    EXPECT_EQ(Contents(), Snapshot);
    EXPECT_EQ(Server.Requests("/mods/"), 0);
  }
  std::map<QString, QByteArray> Snapshot;
};

TEST_F(ModListGuardTest, GridRowWithoutLinkIsRefused) {
  Populate();
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")},
                               {QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes, {}, false},
                               {QStringLiteral("D.zip")}});
  const TArrayOfServerMods Mods =
      TryParseServerModPage(
          MakeModPage(TPageLayout::Grid100,
                      {{QStringLiteral("A.zip")},
                       {QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes, {}, false},
                       {QStringLiteral("D.zip")}}))
          .Mods;
  const TModListCheck Check =
      CheckModList(MakeModPage(TPageLayout::Grid100,
                               {{QStringLiteral("A.zip")},
                                {QStringLiteral("B.zip"), QStringLiteral("Tester"), Yes, {}, false},
                                {QStringLiteral("D.zip")}}),
                   Mods);
  ExpectRefused(Check.SoundRows, 2);
}

TEST_F(ModListGuardTest, AdminViewOf25IsRefused) {
  Populate();
  Server.SetPage(MakeAdminModPage100(
      {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}, {QStringLiteral("C.zip")}}));
  const TArrayOfServerMods Mods =
      TryParseServerModPage(
          MakeAdminModPage100(
              {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}, {QStringLiteral("C.zip")}}))
          .Mods;
  ExpectRefused(CheckModList(MakeAdminModPage100({{QStringLiteral("A.zip")},
                                                  {QStringLiteral("B.zip")},
                                                  {QStringLiteral("C.zip")}}),
                             Mods)
                    .SoundRows,
                3);
}

TEST_F(ModListGuardTest, FooterMisreadAsTheOnlyRowIsRefused) {
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
  Server.SetPage(Page);
  const TParseServerModPageResult Parsed = TryParseServerModPage(Page);
  ASSERT_TRUE(Parsed.Successful);
  ExpectRefused(CheckModList(Page, Parsed.Mods).SoundRows, 1);
}

TEST_F(ModListGuardTest, PercentEncodedLinksAreSound) {
  Serve(TPageLayout::Table90, {{QStringLiteral("My Mod.zip"), QStringLiteral("Tester"), Yes,
                                QStringLiteral("mods/My%20Mod.zip")}});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_TRUE(QFile::exists(Mod(QStringLiteral("My Mod.zip"))));
}

// Whether the page an admin gets (fetched with the web login) reads completely.
TEST(ModListCheck, AdminViewPerLayout) {
  const std::vector<TPageRow> Rows = {
      {QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}, {QStringLiteral("C.zip")}};
  const std::pair<TPageLayout, bool> Expected[] = {{TPageLayout::Table90, true},
                                                   {TPageLayout::Grid91, false},
                                                   {TPageLayout::Grid92, false},
                                                   {TPageLayout::Grid100, false}};
  for (const auto& [Layout, Reads] : Expected) {
    const QString Page = MakeAdminModPage(Layout, Rows);
    const TParseServerModPageResult Parsed = TryParseServerModPage(Page);
    const TModListCheck Check = CheckModList(Page, Parsed.Mods);
    EXPECT_EQ(Check.Passed(), Reads)
        << static_cast<int>(Layout) << ": " << Check.SoundRows << " of " << Check.LinkedArchives;
  }
}

TEST(ModListCheck, NamesAndLinks) {
  EXPECT_EQ(LinkedArchives(u"<a href=\"mods/A.ZIP?x=1\">a</a><a href='mods/My%20Mod.zip'>"
                           u"<a href=\"mods/a.zip\"><a href=\"x.zip.txt\">"),
            (QStringList{QStringLiteral("A.ZIP"), QStringLiteral("My Mod.zip")}));
  for (const char* Bad : {"", ".", "..", "a/b.zip", "a\\b.zip", "C:x.zip"})
    EXPECT_FALSE(IsPlainFileName(QLatin1String(Bad))) << Bad;
  EXPECT_TRUE(IsPlainFileName(QStringLiteral("..a.zip")));
  EXPECT_TRUE(IsDlcFileName(QStringLiteral("pack.DLC")));
}

} // namespace
} // namespace tilvane::test
