#include "core/common/CommonUtilities.h"
#include "core/common/AppError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tilvane {
namespace {

using test::TestEnvironment;
using test::WriteFile;

QSet<QString> EntriesOf(const QString& dir) {
  const QStringList list =
      QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  return QSet<QString>(list.begin(), list.end());
}

class DeleteDirAndFilesTest : public ::testing::Test {
protected:
  DeleteDirAndFilesTest() : FDir(FEnv.PathOf(QStringLiteral("mods"))) {
    for (const char* name : {"a.zip", "b.zip", ".hidden.zip", "mods.zip.bak", "readme", "x.txt"})
      WriteFile(FDir + QLatin1Char('/') + QLatin1String(name), "data");
    QDir().mkpath(FDir + QStringLiteral("/old.zip"));
    WriteFile(FDir + QStringLiteral("/old.zip/inner.zip"), "data");
  }

  TestEnvironment FEnv;
  QString FDir;
};

TEST_F(DeleteDirAndFilesTest, ZipMaskLeavesOtherFilesAndFoldersAndKeepsTheFolder) {
  DeleteDirAndFiles(FDir, QStringLiteral("*.zip"), false, true);
  EXPECT_EQ(EntriesOf(FDir),
            (QSet<QString>{QStringLiteral("mods.zip.bak"), QStringLiteral("readme"),
                           QStringLiteral("x.txt"), QStringLiteral("old.zip")}));
  EXPECT_TRUE(QFile::exists(FDir + QStringLiteral("/old.zip/inner.zip")));
}

TEST_F(DeleteDirAndFilesTest, StarDotStarDeletesEveryFileAlsoWithoutDot) {
  DeleteDirAndFiles(FDir + QLatin1Char('/'), QStringLiteral("*.*"), true, true);
  EXPECT_EQ(EntriesOf(FDir), QSet<QString>{QStringLiteral("old.zip")});
}

TEST_F(DeleteDirAndFilesTest, EmptiedFolderIsRemovedUnlessKept) {
  QDir(FDir + QStringLiteral("/old.zip")).removeRecursively();
  DeleteDirAndFiles(FDir, QStringLiteral("*.*"), true, true);
  EXPECT_TRUE(QDir(FDir).exists());
  DeleteDirAndFiles(FDir, QStringLiteral("*.*"), false, true);
  EXPECT_FALSE(QDir(FDir).exists());
  // A missing folder: nothing matches and its removal fails silently.
  EXPECT_NO_THROW(DeleteDirAndFiles(FDir, QStringLiteral("*.zip"), false, true));
}

TEST_F(DeleteDirAndFilesTest, QuestionMarkStandsForOneCharacter) {
  DeleteDirAndFiles(FDir, QStringLiteral("?.zip"), true, true);
  EXPECT_FALSE(QFile::exists(FDir + QStringLiteral("/a.zip")));
  EXPECT_TRUE(QFile::exists(FDir + QStringLiteral("/.hidden.zip")));
}

TEST_F(DeleteDirAndFilesTest, EmptyDirDoesNothing) {
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(FDir); // a careless "" + "/" would aim at the working folder or root
  DeleteDirAndFiles(QString(), QStringLiteral("*.*"), false, true);
  QDir::setCurrent(cwd);
  EXPECT_EQ(EntriesOf(FDir).size(), 7);
}

namespace {
// Makes a file impossible to delete, also for root (who may delete from a
// read-only folder): the immutable flag where the file system has one.
// Returns the system's text for the refusal the deletion will meet; empty
// when the file could not be protected.
QString ProtectFromDeletion(const QString& dir, const QString& file) {
  if (geteuid() != 0) {
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
    return QString::fromLocal8Bit(std::strerror(EACCES));
  }
  const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
  if (fd < 0)
    return {};
  int flags = 0;
  const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                  (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
  ::close(fd);
  return ok ? QString::fromLocal8Bit(std::strerror(EPERM)) : QString();
}

void Unprotect(const QString& dir, const QString& file) {
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY);
  if (fd < 0)
    return;
  int flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
  }
  ::close(fd);
}
} // namespace

TEST_F(DeleteDirAndFilesTest, UndeletableFileStopsWithTheSystemsReason) {
  const QString file = FDir + QStringLiteral("/a.zip");
  const QString reason = ProtectFromDeletion(FDir, file);
  if (reason.isEmpty())
    GTEST_SKIP() << "this file system cannot protect a file from root";
  try {
    DeleteDirAndFiles(FDir, QStringLiteral("a.zip"), true, true);
    ADD_FAILURE() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(),
              QStringLiteral("Unable to delete ") + file + QStringLiteral("\r\nError: ") + reason);
  }
  Unprotect(FDir, file);
  EXPECT_TRUE(QFile::exists(file));
}

TEST(KeyWordInStringTest, Table) {
  const auto whole = TSearchOption::soDown | TSearchOption::soWholeWord;
  const auto wholeCase = whole | static_cast<unsigned>(TSearchOption::soMatchCase);
  const auto plain = static_cast<TSearchOptions>(TSearchOption::soDown);
  const struct {
    const char* Text;
    const char* KeyWord;
    TSearchOptions Options;
    bool Expected;
  } cases[] = {
      {"Warning: x", "Warning", whole, true},
      {"(warning)", "Warning", whole, true},
      {"WARNING", "Warning", whole, true},
      {"Warnings", "Warning", whole, false},
      {"NoWarning", "Warning", whole, false},
      {"[error] texture missing", "Error", whole, true},
      {"ErrorHandler failed", "Error", whole, false},
      {"MyError", "Error", whole, false},
      {"ErrorHandler then Error", "Error", whole, true}, // a later occurrence counts
      {"my_error", "Error", whole, true},                // '_' is no letter
      {"Error2", "Error", whole, false},                 // digits join words
      {"\xC3\xA9rror error", "Error", whole, true},      // 'é' joins the first
      {"\xC3\xA9rror", "rror", whole, false},
      {"\xC3\xA4nderung", "\xC3\x84NDERUNG", whole, true}, // Unicode case mapping
      {"Fehler: stra\xC3\x9F"
       "e",
       "STRASSE", whole, false},
      {"WARNING", "Warning", wholeCase, false},
      {"Warning", "Warning", wholeCase, true},
      {"ErrorHandler", "Error", plain, true},
      {"Error", "Errors", plain, false},
      {"", "Error", plain, false},
      {"Error", "", plain, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Text) + " / " + c.KeyWord);
    EXPECT_EQ(KeyWordInString(QString::fromUtf8(c.Text), QString::fromUtf8(c.KeyWord), c.Options),
              c.Expected);
  }
  // The text ends at its first NUL.
  const QString withNul = QStringLiteral("ok") + QChar(u'\0') + QStringLiteral(" Error");
  EXPECT_FALSE(KeyWordInString(withNul, QStringLiteral("Error"), whole));
}

TEST(BuildInfoTest, ProjectVersionInFourParts) {
  std::uint16_t v1 = 9, v2 = 9, v3 = 9, v4 = 9;
  GetBuildInfo(v1, v2, v3, v4);
  // The version as the build files state it, not as the code under test formats it.
  EXPECT_EQ(QStringLiteral("%1.%2.%3.%4").arg(v1).arg(v2).arg(v3).arg(v4),
            QStringLiteral(TILVANE_TEST_PROJECT_VERSION));
  EXPECT_EQ(GetBuildInfoAsString(), QStringLiteral(TILVANE_TEST_PROJECT_VERSION));
}

TEST(SpecialFolderTest, ComeFromThePlatform) {
  TestEnvironment env;
  EXPECT_EQ(GetDesktopFolderPath(env.Platform()),
            QString::fromStdString(env.Platform().DesktopFolder()));
  EXPECT_EQ(GetSpecialFolderPath(env.Platform(), CsidlPersonal), env.Documents());
  EXPECT_EQ(GetSpecialFolderPath(env.Platform(), 0x7777), QString());
}

} // namespace
} // namespace tilvane
