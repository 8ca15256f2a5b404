#include "core/update/ArchiveFactsCache.h"
#include "core/common/AppError.h"
#include "support/TestEnvironment.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

const QString FieldHash = QStringLiteral("1f1d50b600f1b104223be09d6da3116a");
// A value no archive here has: served back, it can only have come from the cache.
const QString PutValue = QStringLiteral("0123456789abcdef0123456789abcdef");
constexpr qint64 SomeTimeMs = 1700000000123;

QByteArray FieldBytes() {
  return ReadFile(QStringLiteral(TILVANE_UPDATE_GOLDEN_DIR "/FS22_FieldCalculator.zip"));
}

void SetModified(const QString& APath, qint64 AMs) {
  QFile File(APath);
  ASSERT_TRUE(File.open(QIODevice::ReadWrite));
  ASSERT_TRUE(
      File.setFileTime(QDateTime::fromMSecsSinceEpoch(AMs), QFileDevice::FileModificationTime));
}

class ArchiveFactsCacheTest : public ::testing::Test {
protected:
  QString Mods() const { return Env.PathOf(QStringLiteral("mods")); }
  QString CacheFolder() const { return Env.PathOf(QStringLiteral("settings/cache")); }
  QString CacheFile() const { return TArchiveFactsCache::CacheFileFor(CacheFolder(), Mods()); }
  QString ArchivePath(const char* AName) const { return Mods() + QLatin1Char('/') + L(AName); }
  // Writes the archive with a given modification time.
  QFileInfo Archive(const char* AName, const QByteArray& ABytes, qint64 AModifiedMs = SomeTimeMs) {
    const QString Path = ArchivePath(AName);
    WriteFile(Path, ABytes);
    SetModified(Path, AModifiedMs);
    return QFileInfo(Path);
  }
  TArchiveFactsCache Loaded() {
    TArchiveFactsCache Cache(CacheFile());
    Cache.Load();
    return Cache;
  }

  TestEnvironment Env;
};

TEST_F(ArchiveFactsCacheTest, TheHashIsReadOnceThenServedWhileTheFileIsUnchanged) {
  const QFileInfo Field = Archive("FS22_FieldCalculator.zip", FieldBytes());
  TArchiveFactsCache Cache(CacheFile());
  Cache.Load();
  EXPECT_EQ(Cache.Hash(Field), FieldHash);

  // New bytes of the same size under the old time: a cache that read the
  // archive again would see them.
  Archive("FS22_FieldCalculator.zip", QByteArray(24583, 'x'));
  EXPECT_EQ(Cache.Hash(Field), FieldHash);
  Cache.Save();
  EXPECT_EQ(Loaded().Hash(Field), FieldHash);
}

TEST_F(ArchiveFactsCacheTest, AChangeOfSizeOrTimeMakesTheFactsStale) {
  const struct {
    const char* Name;
    QByteArray Before;
    qint64 AfterMs;
    bool Served;
  } Cases[] = {
      {"unchanged", FieldBytes(), SomeTimeMs, true},
      {"other size, same time", QByteArray(10, 'x'), SomeTimeMs, false},
      {"same size, 1 ms later", FieldBytes(), SomeTimeMs + 1, false},
      {"same size, earlier", FieldBytes(), SomeTimeMs - 3600 * 1000, false},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    QFileInfo Field = Archive("FS22_FieldCalculator.zip", Case.Before);
    TArchiveFactsCache Cache(CacheFile());
    Cache.PutHash(Field, PutValue);
    Cache.PutInfo(Field, {QStringLiteral("Me"), QStringLiteral("1.0.0.0")});
    // The caller's QFileInfo still holds the old stat; the cache looks again.
    Archive("FS22_FieldCalculator.zip", FieldBytes(), Case.AfterMs);
    EXPECT_EQ(Cache.Hash(Field), Case.Served ? PutValue : FieldHash);
    EXPECT_EQ(Cache.Info(Field).has_value(), Case.Served);
  }
}

TEST_F(ArchiveFactsCacheTest, FactsSurviveSaveAndLoadAsTheyWere) {
  const QFileInfo First = Archive("FS22_First.zip", "first");
  const QFileInfo Second = Archive("FS22_Second.zip", "second", SomeTimeMs + 5);
  const TModInfo Odd{
      QStringLiteral(
          "Tab\there \"quoted\" 'single'\r\nnext line \\ \u00c4\u00df \u65e5\u672c &amp;"),
      QStringLiteral("1.0.0.0\n\u00a0")};
  {
    TArchiveFactsCache Cache(CacheFile());
    Cache.PutHash(First, PutValue.toUpper());
    Cache.PutInfo(First, Odd);
    Cache.PutInfo(Second, {QString(), QString()});
    Cache.Save();
  }
  TArchiveFactsCache Cache = Loaded();
  EXPECT_EQ(Cache.Hash(First), PutValue);
  ASSERT_TRUE(Cache.Info(First).has_value());
  EXPECT_EQ(Cache.Info(First)->Author, Odd.Author);
  EXPECT_EQ(Cache.Info(First)->Version, Odd.Version);
  // Known to be empty is not the same as unknown.
  ASSERT_TRUE(Cache.Info(Second).has_value());
  EXPECT_EQ(Cache.Info(Second)->Author, QString());

  Cache.Forget(QStringLiteral("FS22_First.zip"));
  EXPECT_FALSE(Cache.Info(First).has_value());
}

TEST_F(ArchiveFactsCacheTest, SaveKeepsOnlyArchivesStillPresentAsTheyWere) {
  const QFileInfo Kept = Archive("FS22_Kept.zip", "kept");
  const QFileInfo Removed = Archive("FS22_Removed.zip", "removed");
  const QFileInfo Replaced = Archive("FS22_Replaced.zip", "replaced");
  TArchiveFactsCache Cache(CacheFile());
  for (const QFileInfo& Info : {Kept, Removed, Replaced})
    Cache.PutInfo(Info, {QStringLiteral("A"), QStringLiteral("1")});
  ASSERT_TRUE(QFile::remove(Removed.filePath()));
  Archive("FS22_Replaced.zip", "replaced", SomeTimeMs + 2000);
  ASSERT_FALSE(QDir(CacheFolder()).exists());
  Cache.Save();

  // The removed and replaced ones come back exactly as they were: the saved
  // file no longer speaks for them.
  Archive("FS22_Removed.zip", "removed");
  Archive("FS22_Replaced.zip", "replaced");
  TArchiveFactsCache Again = Loaded();
  EXPECT_TRUE(Again.Info(Kept).has_value());
  EXPECT_FALSE(Again.Info(Removed).has_value());
  EXPECT_FALSE(Again.Info(Replaced).has_value());
}

TEST_F(ArchiveFactsCacheTest, ADamagedOrForeignFileReadsAsEmpty) {
  const QFileInfo Field = Archive("FS22_FieldCalculator.zip", FieldBytes());
  {
    TArchiveFactsCache Cache(CacheFile());
    Cache.PutHash(Field, PutValue);
    Cache.PutInfo(Field, {QStringLiteral("Me"), QStringLiteral("1.0.0.0")});
    Cache.Save();
  }
  const QByteArray Good = ReadFile(CacheFile());
  ASSERT_TRUE(Good.contains(PutValue.toLatin1()));
  auto Replaced = [&](const char* AFrom, const char* ATo) {
    QByteArray Text = Good;
    EXPECT_TRUE(Text.contains(AFrom)) << AFrom;
    return Text.replace(AFrom, ATo);
  };
  const struct {
    const char* Name;
    QByteArray Content;
  } Cases[] = {
      {"empty", QByteArray()},
      {"truncated", Good.left(Good.size() / 2)},
      {"last byte missing", Good.chopped(1)},
      {"binary noise", QByteArray("\x00\xff\x13\x37PK\x03\x04", 8)},
      {"other JSON", R"({"archives":{},"folder":""})"},
      {"an array", "[1,2,3]"},
      {"other format", Replaced("tilvane-archive-facts", "someone-else")},
      {"later version", Replaced("\"version\":1", "\"version\":2")},
      {"a hash digit changed", Replaced("0123456789abcdef0123", "1123456789abcdef0123")},
      {"checksum missing", Replaced("\"checksum\"", "\"checksun\"")},
      {"size as text", Replaced("\"size\":24583", "\"size\":\"24583\"")},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    WriteFile(CacheFile(), Case.Content);
    TArchiveFactsCache Cache = Loaded();
    EXPECT_FALSE(Cache.Info(Field).has_value());
    EXPECT_EQ(Cache.Hash(Field), FieldHash);
    // Written anew, and good from then on.
    Cache.Save();
    EXPECT_EQ(Loaded().Hash(Field), FieldHash);
  }
}

// One cache file per folder; one folder's facts never answer for another's
// archive of the same name, size and time.
TEST_F(ArchiveFactsCacheTest, EachFolderHasItsOwnFile) {
  const QString Other = Env.PathOf(QStringLiteral("other mods"));
  EXPECT_EQ(TArchiveFactsCache::CacheFileFor(CacheFolder(), Mods()),
            TArchiveFactsCache::CacheFileFor(CacheFolder(), Mods() + QStringLiteral("/../mods/")));
  EXPECT_NE(TArchiveFactsCache::CacheFileFor(CacheFolder(), Mods()),
            TArchiveFactsCache::CacheFileFor(CacheFolder(), Other));
  const QString Name = TArchiveFactsCache::CacheFileFor(CacheFolder(), Mods());
  EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(CacheFolder()) +
                                 QStringLiteral("/[0-9a-f]{40}\\.json"))
                  .match(Name)
                  .hasMatch())
      << Name.toStdString();

  const QFileInfo Field = Archive("FS22_FieldCalculator.zip", FieldBytes());
  {
    TArchiveFactsCache Cache(CacheFile());
    Cache.PutHash(Field, PutValue);
    Cache.Save();
  }
  const QString Twin = Other + QStringLiteral("/FS22_FieldCalculator.zip");
  WriteFile(Twin, FieldBytes());
  SetModified(Twin, SomeTimeMs);
  const QString OtherFile = TArchiveFactsCache::CacheFileFor(CacheFolder(), Other);
  ASSERT_TRUE(QFile::copy(CacheFile(), OtherFile));
  TArchiveFactsCache Cache(OtherFile);
  Cache.Load();
  EXPECT_EQ(Cache.Hash(QFileInfo(Twin)), FieldHash);
}

TEST_F(ArchiveFactsCacheTest, AnArchiveThatCannotBeReadRaises) {
  TArchiveFactsCache Cache(CacheFile());
  EXPECT_THROW(Cache.Hash(QFileInfo(ArchivePath("FS22_Missing.zip"))), EAppError);
}

} // namespace
} // namespace tilvane::test
