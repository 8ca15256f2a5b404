#include "core/update/ArchiveHash.h"
#include "core/common/AppError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

// Two published archives and the hash the game logged for each.
QString Golden(const char* AName) {
  return QStringLiteral(TILVANE_UPDATE_GOLDEN_DIR "/") + QString::fromLatin1(AName);
}

TEST(ArchiveHashTest, MatchesTheHashTheGameLogged) {
  EXPECT_EQ(ModArchiveHash(Golden("FS22_FieldCalculator.zip")),
            QStringLiteral("1f1d50b600f1b104223be09d6da3116a"));
  EXPECT_EQ(ModArchiveHash(Golden("FS22_DamageBarSelection.zip")),
            QStringLiteral("1eee9345e99c002faa4e248a9d210ddc"));
}

TEST(ArchiveHashTest, TheModNameLeavesOutTheSuffixInAnyLetterCase) {
  TestEnvironment Env;
  const QString Upper = Env.PathOf(QStringLiteral("mods/FS22_FieldCalculator.ZIP"));
  WriteFile(Upper, ReadFile(Golden("FS22_FieldCalculator.zip")));
  EXPECT_EQ(ModArchiveHash(Upper), QStringLiteral("1f1d50b600f1b104223be09d6da3116a"));

  const struct {
    const char* FileName;
    const char* ModName;
  } Cases[] = {
      {"FS22_X.zip", "FS22_X"},
      {"FS22_X.ZIP", "FS22_X"},
      {"FS22_X.Zip", "FS22_X"},
      {"FS22_X", "FS22_X"},
      {"FS22_X.zip.part", "FS22_X.zip.part"},
      {"FS22_X.gar", "FS22_X.gar"},
      {"FS22_X.zip.zip", "FS22_X.zip"},
      {"FS22_Xzip", "FS22_Xzip"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(ModNameOfArchive(L(Case.FileName)), L(Case.ModName)) << Case.FileName;
}

// Several read blocks and a short last one: no byte is lost or hashed twice
// at a block's edge.
TEST(ArchiveHashTest, HashesAFileOfSeveralBlocks) {
  TestEnvironment Env;
  QByteArray Bytes(3 * 1024 * 1024 + 5, Qt::Uninitialized);
  for (qsizetype I = 0; I < Bytes.size(); ++I)
    Bytes[I] = static_cast<char>(I % 251);
  const QString Path = Env.PathOf(QStringLiteral("FS22_Blocks.zip"));
  WriteFile(Path, Bytes);
  EXPECT_EQ(ModArchiveHash(Path), QStringLiteral("2a8b16cc3c628bf9b681f9c28e495ab9"));
}

TEST(ArchiveHashTest, TheHasherFedInPiecesGivesTheSameValue) {
  const QByteArray Field = ReadFile(Golden("FS22_FieldCalculator.zip"));
  const QByteArray Damage = ReadFile(Golden("FS22_DamageBarSelection.zip"));
  ASSERT_EQ(Field.size(), 24583);
  ASSERT_EQ(Damage.size(), 8650);

  TModArchiveHasher Hasher;
  // Odd sizes, an empty piece, and pieces that cross MD5's 64-byte blocks.
  qsizetype At = 0;
  for (const qsizetype Piece : {1, 0, 7, 63, 65, 4099, 12345}) {
    Hasher.AddData(QByteArrayView(Field).sliced(At, Piece));
    At += Piece;
  }
  Hasher.AddData(QByteArrayView(Field).sliced(At));
  EXPECT_EQ(Hasher.Result(QStringLiteral("FS22_FieldCalculator")),
            QStringLiteral("1f1d50b600f1b104223be09d6da3116a"));

  // Result starts the hasher afresh.
  Hasher.AddData(Damage);
  EXPECT_EQ(Hasher.Result(QStringLiteral("FS22_DamageBarSelection")),
            QStringLiteral("1eee9345e99c002faa4e248a9d210ddc"));

  // Reset drops what a failed download attempt had added.
  Hasher.AddData(QByteArrayView("the first attempt's bytes"));
  Hasher.Reset();
  Hasher.AddData(Damage);
  EXPECT_EQ(Hasher.Result(QStringLiteral("FS22_DamageBarSelection")),
            QStringLiteral("1eee9345e99c002faa4e248a9d210ddc"));
}

TEST(ArchiveHashTest, AnArchiveThatCannotBeReadRaises) {
  TestEnvironment Env;
  const QString Missing = Env.PathOf(QStringLiteral("mods/FS22_Missing.zip"));
  const QString Folder = Env.PathOf(QStringLiteral("mods/FS22_Folder.zip"));
  ASSERT_TRUE(QDir().mkpath(Folder));
  for (const QString& Path : {Missing, Folder}) {
    try {
      ModArchiveHash(Path);
      ADD_FAILURE() << "no error for " << Path.toStdString();
    } catch (const EAppError& Error) {
      const QString Prefix =
          QStringLiteral("Unable to read ") + Path + QStringLiteral("\r\nError: ");
      EXPECT_TRUE(Error.Message().startsWith(Prefix)) << Error.Message().toStdString();
      EXPECT_GT(Error.Message().size(), Prefix.size()) << "no reason given";
    }
  }
}

} // namespace
} // namespace tilvane::test
