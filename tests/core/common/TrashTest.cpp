#include "core/common/Trash.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

TEST(TrashTest, FilesGoToTheTrashOfTheUsersDataFolderEvenBeforeThatExists) {
  TestEnvironment Env;
  ASSERT_FALSE(QFile::exists(Env.PathOf(QStringLiteral("DataHome"))));
  const QString Archive = Env.PathOf(QStringLiteral("mods/A.zip"));
  WriteFile(Archive, "first");
  ASSERT_TRUE(MoveToTrash(Archive));
  WriteFile(Archive, "second");
  ASSERT_TRUE(MoveToTrash(Archive));

  EXPECT_FALSE(QFile::exists(Archive));
  // Both can be restored: the second did not replace the first.
  const QStringList InTrash = QDir(Env.TrashFiles()).entryList(QDir::Files, QDir::Name);
  ASSERT_EQ(InTrash.size(), 2);
  EXPECT_EQ(ReadFile(Env.TrashFiles() + QStringLiteral("/A.zip")), QByteArray("first"));
  EXPECT_EQ(ReadFile(Env.TrashFiles() + u'/' + InTrash[1]), QByteArray("second"));
  // Nothing went below the working folder, where Qt puts a trash it cannot
  // place.
  EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("files/A.zip"))));
}

TEST(TrashTest, AFileThatIsNotThereStaysAFailure) {
  TestEnvironment Env;
  EXPECT_FALSE(MoveToTrash(Env.PathOf(QStringLiteral("mods/missing.zip"))));
}

} // namespace
} // namespace tilvane::test
