#include "DiskSandbox.h"

#include "core/update/ModSharing.h"
#include "support/TestEnvironment.h"
#include "support/UpdateTestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

// Three mod folders: A.zip alike in X, Y and Z; B.zip in another version in Y.
class ModSharingTest : public ::testing::Test {
protected:
  void SetUp() override {
    MakeModArchive(In("X", "A.zip"), QStringLiteral("Tester"), QStringLiteral("1.0.0.0"));
    ASSERT_TRUE(QDir().mkpath(Env.PathOf(QStringLiteral("Y"))));
    ASSERT_TRUE(QDir().mkpath(Env.PathOf(QStringLiteral("Z"))));
    ASSERT_TRUE(QFile::copy(In("X", "A.zip"), In("Y", "A.zip")));
    ASSERT_TRUE(QFile::copy(In("X", "A.zip"), In("Z", "A.zip")));
    MakeModArchive(In("X", "B.zip"), QStringLiteral("Tester"), QStringLiteral("1.0.0.0"));
    MakeModArchive(In("Y", "B.zip"), QStringLiteral("Tester"), QStringLiteral("2.0.0.0"));
    ArchiveSize = QFileInfo(In("X", "A.zip")).size();
  }
  QString In(const char* AFolder, const char* AName) const {
    return Env.PathOf(QString::fromUtf8(AFolder) + u'/' + QString::fromUtf8(AName));
  }
  QStringList Folders() const {
    return {Env.PathOf(QStringLiteral("X")), Env.PathOf(QStringLiteral("Y")),
            Env.PathOf(QStringLiteral("Z"))};
  }

  TestEnvironment Env;
  TModSharing Sharing{Env.PathOf(QStringLiteral("state"))};
  qint64 ArchiveSize = 0;
};

TEST_F(ModSharingTest, FindingChangesNothingApplyingLeavesOneFile) {
  const TInode Before = InodeOf(In("Y", "A.zip"));
  Sharing.Find(Folders());

  ASSERT_EQ(Sharing.Duplicates().size(), 2);
  EXPECT_EQ(Sharing.BytesToFree(), 2 * ArchiveSize);
  EXPECT_EQ(InodeOf(In("Y", "A.zip")), Before);

  QStringList Failures;
  EXPECT_EQ(Sharing.Apply(Failures), 2);
  EXPECT_TRUE(Failures.isEmpty()) << Failures.join(u'|').toStdString();
  const TInode Kept = InodeOf(In("X", "A.zip"));
  EXPECT_EQ(Kept.Links, 3u);
  EXPECT_EQ(InodeOf(In("Y", "A.zip")), Kept);
  EXPECT_EQ(InodeOf(In("Z", "A.zip")), Kept);
  // Different archives under one name stay apart, and no temporary name is left.
  EXPECT_NE(InodeOf(In("Y", "B.zip")).Inode, InodeOf(In("X", "B.zip")).Inode);
  EXPECT_EQ(QDir(Env.PathOf(QStringLiteral("Y"))).entryList(QDir::Files),
            (QStringList{QStringLiteral("A.zip"), QStringLiteral("B.zip")}));

  // Shared once, nothing more to free.
  Sharing.Find(Folders());
  EXPECT_TRUE(Sharing.Duplicates().isEmpty());
  EXPECT_EQ(Sharing.BytesToFree(), 0);
}

TEST_F(ModSharingTest, AnArchiveChangedAfterTheSearchIsLeftAlone) {
  Sharing.Find(Folders());
  // Another program rewrites the copy in Z between the search and the click.
  QFile::remove(In("Z", "A.zip"));
  MakeModArchive(In("Z", "A.zip"), QStringLiteral("Someone"), QStringLiteral("1.0.0.0"));
  const QByteArray Rewritten = ReadFile(In("Z", "A.zip"));

  QStringList Failures;
  EXPECT_EQ(Sharing.Apply(Failures), 1);
  EXPECT_EQ(ReadFile(In("Z", "A.zip")), Rewritten);
  EXPECT_EQ(InodeOf(In("Z", "A.zip")).Links, 1u);
}

TEST_F(ModSharingTest, AFolderOnAnotherDriveIsNeverShared) {
  TDiskSandbox Drive(Env.PathOf(QStringLiteral("Z")), QStringLiteral("10m"));
  if (!Drive.Mounted())
    GTEST_SKIP() << "no right to mount a tmpfs here";
  ASSERT_TRUE(QFile::copy(In("X", "A.zip"), In("Z", "A.zip")));

  Sharing.Find(Folders());

  ASSERT_EQ(Sharing.Duplicates().size(), 1);
  EXPECT_EQ(Sharing.Duplicates()[0].Duplicate, In("Y", "A.zip"));
  EXPECT_EQ(Sharing.BytesToFree(), ArchiveSize);
}

} // namespace
} // namespace tilvane::test
