#include "DiskSandbox.h"
#include "UpdateTaskFixture.h"

#include <QFile>

namespace tilvane::test {
namespace {

// A second mod folder of the generation beside the synced one.
class SharingSyncTest : public UpdateModsTaskTest {
protected:
  QString OtherFolder = Env.PathOf(QStringLiteral("other"));
  QString Other(const QString& AName) const { return OtherFolder + u'/' + AName; }

  bool RunSharing() {
    Task = NewTask();
    Task->SetSharingFolders({OtherFolder});
    Task->UpdateModsTask();
    return Task->FinishedUpdating();
  }
};

struct TCopyCase {
  const char* Name;
  // Of the other folder's A.zip; the server runs Tester's 1.0.0.0, and the
  // author's letter case alone makes other bytes.
  const char* CopyAuthor;
  const char* CopyVersion;
  bool WithFeed;
  bool FeedNamesTheCopy; // the feed's hash is the copy's (else the served one's)
  bool Linked;
};

class SharedCopyTest : public SharingSyncTest, public ::testing::WithParamInterface<TCopyCase> {};

TEST_P(SharedCopyTest, AMatchingCopyIsLinkedAnOtherIsDownloaded) {
  const TCopyCase& Case = GetParam();
  MakeModArchive(Other(QStringLiteral("A.zip")), QString::fromUtf8(Case.CopyAuthor),
                 QString::fromUtf8(Case.CopyVersion));
  const TInode CopyBefore = InodeOf(Other(QStringLiteral("A.zip")));
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}, {QStringLiteral("B.zip")}});
  if (Case.WithFeed) {
    const QByteArray Hashed = Case.FeedNamesTheCopy ? ReadFile(Other(QStringLiteral("A.zip")))
                                                    : Served(QStringLiteral("A.zip"));
    Server.SetFeed(
        {MakeStatsFeed({{QStringLiteral("A"), QStringLiteral("Tester"), Yes,
                         GameHashOf(Hashed, QStringLiteral("A"))},
                        {QStringLiteral("B"), QStringLiteral("Tester"), Yes,
                         GameHashOf(Served(QStringLiteral("B.zip")), QStringLiteral("B"))}})});
    Folder.StatsFeedURL = Server.BaseURL() + QStringLiteral("feed/dedicated-server-stats.xml");
  }

  EXPECT_TRUE(RunSharing()) << Task->FinalMsg().toStdString();

  EXPECT_EQ(Server.Requests("/mods/B.zip"), 1);
  EXPECT_EQ(Server.Requests("/mods/A.zip"), Case.Linked ? 0 : 1);
  EXPECT_EQ(Task->Linked(), Case.Linked ? 1 : 0);
  const TInode Mine = InodeOf(Mod(QStringLiteral("A.zip")));
  const TInode Theirs = InodeOf(Other(QStringLiteral("A.zip")));
  EXPECT_EQ(Mine.Inode == Theirs.Inode, Case.Linked);
  EXPECT_EQ(Theirs.Links, Case.Linked ? 2u : 1u);
  EXPECT_EQ(Theirs.Inode, CopyBefore.Inode);
  EXPECT_EQ(FilesIn(Folder.Folder),
            (QStringList{QStringLiteral("A.zip"), QStringLiteral("B.zip")}));
}

INSTANTIATE_TEST_SUITE_P(
    Sync, SharedCopyTest,
    ::testing::Values(TCopyCase{"SameAuthorAndVersion", "TESTER", "1.0.0.0", false, false, true},
                      TCopyCase{"AnotherVersion", "Tester", "0.9.0.0", false, false, false},
                      TCopyCase{"TheFeedsHash", "TESTER", "1.0.0.0", true, true, true},
                      // Author and version agree, the bytes are not the ones the game runs.
                      TCopyCase{"NotTheFeedsHash", "TESTER", "1.0.0.0", true, false, false}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST_F(SharingSyncTest, ReplacingALinkedArchiveLeavesTheOtherFolderAlone) {
  MakeModArchive(Other(QStringLiteral("A.zip")), QStringLiteral("Tester"), Yes);
  const QByteArray Theirs = ReadFile(Other(QStringLiteral("A.zip")));
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}});
  ASSERT_TRUE(RunSharing());
  const TInode Shared = InodeOf(Other(QStringLiteral("A.zip")));
  ASSERT_EQ(InodeOf(Mod(QStringLiteral("A.zip"))), Shared);
  ASSERT_EQ(Shared.Links, 2u);

  // The server moves on to a new version: this folder follows, the other not.
  Serve(TPageLayout::Grid100,
        {{QStringLiteral("A.zip"), QStringLiteral("Tester"), QStringLiteral("2.0.0.0")}});
  EXPECT_TRUE(RunSharing()) << Task->FinalMsg().toStdString();

  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
  EXPECT_NE(InodeOf(Mod(QStringLiteral("A.zip"))).Inode, Shared.Inode);
  EXPECT_EQ(ReadFile(Other(QStringLiteral("A.zip"))), Theirs);
  EXPECT_EQ(InodeOf(Other(QStringLiteral("A.zip"))), (TInode{Shared.Inode, 1}));
}

TEST_F(SharingSyncTest, ACopyOnAnotherDriveIsDownloadedInstead) {
  TDiskSandbox Drive(OtherFolder, QStringLiteral("10m"));
  if (!Drive.Mounted())
    GTEST_SKIP() << "no right to mount a tmpfs here";
  MakeModArchive(Other(QStringLiteral("A.zip")), QStringLiteral("Tester"), Yes);
  Serve(TPageLayout::Grid100, {{QStringLiteral("A.zip")}});

  EXPECT_TRUE(RunSharing()) << Task->FinalMsg().toStdString();

  EXPECT_EQ(Server.Requests("/mods/A.zip"), 1);
  EXPECT_EQ(Task->Linked(), 0);
  EXPECT_EQ(InodeOf(Other(QStringLiteral("A.zip"))).Links, 1u);
  EXPECT_EQ(ReadFile(Mod(QStringLiteral("A.zip"))), Served(QStringLiteral("A.zip")));
}

} // namespace
} // namespace tilvane::test
