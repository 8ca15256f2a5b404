// The sync decides as the game does and lets nothing but a checked archive
// take an archive's place: what a hostile or confused server sends is never
// put in the player's folder, and the player's archives leave only to the
// trash or with the player's word.
#include "UpdateTaskFixture.h"

#include "core/update/ModFolderLock.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace tilvane::test {
namespace {

using namespace std::chrono_literals;

// A mod archive with one more entry, so that two archives of one version can
// differ in their bytes.
void MakeModArchiveWith(const QString& APath, const QString& AAuthor, const QString& AVersion,
                        const QByteArray& AContent) {
  MakeZip(APath, {{QStringLiteral("modDesc.xml"), ModDescXml(AAuthor, AVersion)},
                  {QStringLiteral("textures/body.dds"), AContent}});
}

class UpdateVerifyTest : public UpdateModsTaskTest {
protected:
  // The folder holds an old A.zip; the page lists version 2.0.0.0 of it.
  void OutdatedA() {
    MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Tester"), Yes);
    Old = ReadFile(Mod(QStringLiteral("A.zip")));
    SetPage(TPageLayout::Grid100,
            {{QStringLiteral("A.zip"), QStringLiteral("Tester"), QStringLiteral("2.0.0.0")}});
    ServeArchive(QStringLiteral("A.zip"), QStringLiteral("Tester"), QStringLiteral("2.0.0.0"));
  }
  // The old archive is still there, whole, and nothing half-written beside it.
  void ExpectOldArchiveKept() {
    EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Old);
    EXPECT_EQ(FilesIn(Folder.Folder), QStringList{QStringLiteral("A.zip")});
  }
  void FollowFeed() {
    Folder.StatsFeedURL =
        Server.BaseURL() + QStringLiteral("feed/dedicated-server-stats.xml?code=x");
  }

  QByteArray Old;
};

TEST_F(UpdateVerifyTest, WebPageSentForAnArchiveNeverReplacesIt) {
  const struct {
    const char* Type;
    const char* Body;
  } Cases[] = {
      {"text/html; charset=utf-8", "<html><body>Please log in</body></html>"},
      // The page gives itself away by its first bytes when the type does not.
      {"application/octet-stream", "\n  <!DOCTYPE html><html>Error 500</html>"},
  };
  int Requests = 0;
  for (const auto& Case : Cases) {
    OutdatedA();
    Server.SetFile(QStringLiteral("A.zip"), QByteArray(Case.Body));
    Server.SetContentType(QStringLiteral("A.zip"), Case.Type);
    EXPECT_FALSE(Run()) << Case.Type;
    EXPECT_EQ(Task->FinalMsg(),
              QStringLiteral("A.zip: the server sent a web page, not a mod archive."));
    EXPECT_EQ(Server.Requests("/mods/A.zip") - Requests, 3) << "every attempt is checked";
    Requests = Server.Requests("/mods/A.zip");
    ExpectOldArchiveKept();
  }
}

TEST_F(UpdateVerifyTest, BodyEndingEarlyWithoutALengthNeverReplacesTheArchive) {
  OutdatedA();
  Server.SetUnannouncedEnd(QStringLiteral("A.zip"), Served(QStringLiteral("A.zip")).size() / 2);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("A.zip: the download is incomplete or damaged; it is no zip archive."));
  ExpectOldArchiveKept();

  // The whole body without a length is as good as any.
  Server.SetUnannouncedEnd(QStringLiteral("A.zip"), Served(QStringLiteral("A.zip")).size());
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
}

TEST_F(UpdateVerifyTest, ArchiveOfAnotherVersionThanListedNeverReplacesIt) {
  OutdatedA();
  ServeArchive(QStringLiteral("A.zip"), QStringLiteral("Tester"), QStringLiteral("1.5.0.0"));
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(), QStringLiteral("A.zip: the download is version 1.5.0.0 by "
                                             "\"Tester\"; the server lists version 2.0.0.0 by "
                                             "\"Tester\"."));
  ExpectOldArchiveKept();
}

TEST_F(UpdateVerifyTest, AuthorWrittenWithCharacterReferencesIsCurrent) {
  MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Kastor [D-S-Agrarservice]"), Yes);
  MakeModArchive(Mod(QStringLiteral("B.zip")), QStringLiteral("Smith & Sons"), Yes);
  // What the dedicated server writes for those authors.
  SetPage(TPageLayout::Table90,
          {{QStringLiteral("A.zip"), QStringLiteral("Kastor [D-S-Agrarservice&#93;"), Yes},
           {QStringLiteral("B.zip"), QStringLiteral("Smith &amp; Sons"), Yes}});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(Server.Requests("/mods/"), 0);
}

TEST_F(UpdateVerifyTest, FeedHashDecidesWhatIsCurrent) {
  FollowFeed();
  // The modder fixed B.zip without raising its version; A.zip is as the
  // server runs it.
  MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Tester"), Yes);
  MakeModArchiveWith(Mod(QStringLiteral("B.zip")), QStringLiteral("Tester"), Yes, "old texture");
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}});
  Server.SetFile(QStringLiteral("A.zip"), ReadFile(Mod(QStringLiteral("A.zip"))));
  const QString Fixed = Env.PathOf(QStringLiteral("served/B-fixed.zip"));
  MakeModArchiveWith(Fixed, QStringLiteral("Tester"), Yes, "fixed texture");
  Server.SetFile(QStringLiteral("B.zip"), ReadFile(Fixed));
  Server.SetFeed(
      {MakeStatsFeed({{QStringLiteral("A"), QStringLiteral("Tester"), Yes,
                       GameHashOf(ReadFile(Mod(QStringLiteral("A.zip"))), QStringLiteral("A"))},
                      {QStringLiteral("B"), QStringLiteral("Tester"), Yes,
                       GameHashOf(ReadFile(Fixed), QStringLiteral("B"))}})});

  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(Server.Requests("/mods/A.zip"), 0);
  EXPECT_EQ(Server.Requests("/mods/B.zip"), 1);
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("B.zip"))), ReadFile(Fixed));
  EXPECT_EQ(Task->LastStatus(), QStringLiteral("All 2 mods match the server."));

  // Known now: the next sync reads neither page rows' archives nor downloads.
  EXPECT_TRUE(Run());
  EXPECT_EQ(Server.Requests("/mods/B.zip"), 1);
}

TEST_F(UpdateVerifyTest, FeedWithoutModsIsAskedOnceMoreThenAuthorAndVersionDecide) {
  FollowFeed();
  OutdatedA();
  const QByteArray Empty = MakeStatsFeed({});
  Server.SetFeed({Empty, Empty});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(Server.Requests("/feed/"), 2);
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
  EXPECT_EQ(Task->LastStatus(), QStringLiteral("The stats feed could not be used (it lists no "
                                               "mods); authors and versions were compared."));

  // The second answer is a real one: it is used.
  OutdatedA();
  Server.SetFeed(
      {Empty,
       MakeStatsFeed({{QStringLiteral("A"), QStringLiteral("Tester"), QStringLiteral("2.0.0.0"),
                       GameHashOf(Served(QStringLiteral("A.zip")), QStringLiteral("A"))}})});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(Task->LastStatus(), QStringLiteral("All 1 mods match the server."));
}

TEST_F(UpdateVerifyTest, UnusableFeedFallsBackAndSaysWhy) {
  const struct {
    QByteArray Answer; // empty: the feed is not there (404)
    const char* Reason;
  } Cases[] = {
      {QByteArray(), "the server answered 404 Not Found"},
      {QByteArray("<html>no feed</html>"), "The page is not a dedicated server's stats feed."},
  };
  for (const auto& Case : Cases) {
    FollowFeed();
    MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Tester"), Yes);
    Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}});
    Server.SetFeed(Case.Answer.isEmpty() ? std::vector<QByteArray>{}
                                         : std::vector<QByteArray>{Case.Answer});
    EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
    EXPECT_EQ(Task->LastStatus(), QStringLiteral("The stats feed could not be used (%1); authors "
                                                 "and versions were compared.")
                                      .arg(QLatin1String(Case.Reason)));
    EXPECT_EQ(Server.Requests("/mods/"), 0);
  }
}

TEST_F(UpdateVerifyTest, ArchiveThatNeverMatchesTheFeedIsKeptAndNamed) {
  FollowFeed();
  OutdatedA();
  Server.SetFeed(
      {MakeStatsFeed({{QStringLiteral("A"), QStringLiteral("Tester"), QStringLiteral("2.0.0.0"),
                       QStringLiteral("0123456789abcdef0123456789abcdef")}})});
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("The server's game runs other versions of these mods than the server "
                           "offers for download: A.zip. The downloaded archives were kept; the "
                           "game will not join until the server is restarted."));
  EXPECT_EQ(Server.Requests("/mods/A.zip"), 3);
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
}

TEST_F(UpdateVerifyTest, UnreadableLocalArchiveIsDownloadedAgain) {
  // No modDesc.xml at its top level, and a file that is no zip at all.
  MakeZip(Mod(QStringLiteral("A.zip")),
          {{QStringLiteral("sub/modDesc.xml"), ModDescXml(QStringLiteral("Tester"), Yes)}});
  WriteFile(Mod(QStringLiteral("B.zip")), "not a zip");
  Serve(TPageLayout::Table90, {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}});
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("B.zip"))), Served(QStringLiteral("B.zip")));
}

TEST_F(UpdateVerifyTest, SecondSyncOfTheSameFolderIsRefused) {
  OutdatedA();
  Folder.RemoveModsNotOnServer = true;
  MakeModArchive(Mod(QStringLiteral("Gone.zip")), QStringLiteral("Tester"), Yes);
  const auto Before = Contents();
  const QString Refusal =
      QStringLiteral("Mod folder %1 is being updated by another Tilvane window.")
          .arg(Folder.Folder);

  // Another copy of the program holds the folder (the lock of a live process).
  {
    TModFolderLock Other(Env.PathOf(QStringLiteral("Temp")), Folder.Folder + u'/');
    ASSERT_TRUE(Other.TryLock());
    EXPECT_FALSE(Run());
    EXPECT_EQ(Task->FinalMsg(), Refusal);
    EXPECT_EQ(Contents(), Before);
    EXPECT_TRUE(Server.AllRequests().empty());
  }

  // A task of this program that is downloading.
  Server.SetSlow(64, 20);
  auto First = NewTask();
  First->Start();
  while (Server.BytesSent() < 64)
    std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(), Refusal);
  EXPECT_TRUE(
      QFile::exists(Mod(QStringLiteral("A.zip") + TUpdateModsTask::PartialDownloadSuffix())))
      << "the other's partial download is left alone";
  Server.SetSlow(0, 0);
  ASSERT_TRUE(First->WaitFor(20000));
  EXPECT_TRUE(First->FinishedUpdating()) << First->FinalMsg().toStdString();
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
}

TEST_F(UpdateVerifyTest, ServerFolderWithoutAFolderOfItsOwnIsRefusedBeforeAnything) {
  Folder.Folder.clear();
  EXPECT_FALSE(Run());
  EXPECT_EQ(Task->FinalMsg(),
            QStringLiteral("A mod folder that follows a dedicated server needs its own folder."));
  EXPECT_TRUE(Server.AllRequests().empty());
}

class TrashRefusalTest : public UpdateModsTaskTest,
                         public ::testing::WithParamInterface<const char*> {};

// Qt 6.4 would try for ever to write into such a trash; the sync asks instead.
TEST_P(TrashRefusalTest, ArchivesTheTrashCannotTakeAreDeletedOnlyWhenThePlayerSays) {
  const QString Trash = QFileInfo(Env.TrashFiles()).absolutePath();
  QDir().mkpath(Trash + QStringLiteral("/files"));
  if (QLatin1String(GetParam()) == QLatin1String("info is a file")) {
    WriteFile(Trash + QStringLiteral("/info"), "left by a file manager");
  } else {
    if (::geteuid() == 0)
      GTEST_SKIP() << "root writes to any folder";
    QDir().mkpath(Trash + QStringLiteral("/info"));
    ::chmod(QFile::encodeName(Trash + QStringLiteral("/info")).constData(), 0555);
  }
  Folder.RemoveModsNotOnServer = true;
  MakeModArchive(Mod(QStringLiteral("A.zip")), QStringLiteral("Tester"), Yes);
  MakeModArchive(Mod(QStringLiteral("X.zip")), QStringLiteral("Tester"), Yes);
  MakeModArchive(Mod(QStringLiteral("Y.zip")), QStringLiteral("Tester"), Yes);
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}});

  Env.Prompts().AnswerNo();
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  ASSERT_EQ(Env.Prompts().History().size(), 1u);
  EXPECT_EQ(
      Env.Prompts().History()[0].Text,
      QStringLiteral("2 mod archives cannot be moved to the trash. Delete them permanently?"));
  EXPECT_FALSE(Env.Prompts().History()[0].YesIsDefault);
  EXPECT_EQ(FilesIn(Folder.Folder), (QStringList{QStringLiteral("A.zip"), QStringLiteral("X.zip"),
                                                 QStringLiteral("Y.zip")}));
  EXPECT_EQ(Task->Kept(), 2);
  EXPECT_EQ(Progress.Removed(), QStringLiteral("0/0/2 kept"));

  Env.Prompts().AnswerYes();
  EXPECT_TRUE(Run()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(FilesIn(Folder.Folder), QStringList{QStringLiteral("A.zip")});
  EXPECT_EQ(Task->Deleted(), 2);
  ::chmod(QFile::encodeName(Trash + QStringLiteral("/info")).constData(), 0755);
}

INSTANTIATE_TEST_SUITE_P(Trash, TrashRefusalTest,
                         ::testing::Values("info is a file", "info is read-only"));

} // namespace
} // namespace tilvane::test
