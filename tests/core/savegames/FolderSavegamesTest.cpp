#include "core/savegames/FolderSavegames.h"

#include "core/update/ArchiveFactsCache.h"
#include "support/TestEnvironment.h"
#include "support/UpdateTestSupport.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

QStringList NamesOf(const QList<TSavegameMod>& AMods) {
  QStringList Names;
  for (const TSavegameMod& Mod : AMods)
    Names.append(Mod.ModName);
  return Names;
}

TSavegameMod SaveMod(const QString& AName, const QString& AVersion, const QString& AHash = {}) {
  TSavegameMod Mod;
  Mod.ModName = AName;
  Mod.Version = AVersion;
  Mod.Required = false;
  Mod.FileHash = AHash;
  return Mod;
}

// A mod folder with archives, folder mods and its facts cache.
class FolderSavegamesTest : public ::testing::Test {
protected:
  FolderSavegamesTest() : Folder(Env.PathOf(QStringLiteral("mods"))) {
    CacheFile = TArchiveFactsCache::CacheFileFor(Env.PathOf(QStringLiteral("state")), Folder);
  }
  QString Archive(const QString& AName) {
    const QString Path = Folder + u'/' + AName;
    MakeModArchive(Path, QStringLiteral("Tester"), QStringLiteral("1.0.0.0"));
    return Path;
  }
  void FolderMod(const QString& AName, const QByteArray& AVersion) {
    WriteFile(Folder + u'/' + AName + QStringLiteral("/modDesc.xml"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><modDesc descVersion=\"72\"><version>" +
                  AVersion + "</version></modDesc>");
  }
  // The game's hash, worked out here from its definition: MD5 of the bytes,
  // then of the mod name.
  static QString GameHash(const QString& APath) {
    QCryptographicHash Md5(QCryptographicHash::Md5);
    Md5.addData(ReadFile(APath));
    Md5.addData(QFileInfo(APath).completeBaseName().toUtf8());
    return QString::fromLatin1(Md5.result().toHex());
  }
  std::vector<TSavegameNeeds> Match(const std::vector<TSavegame>& ASaves) {
    return TFolderSavegames(Folder, CacheFile).Match(ASaves);
  }

  TestEnvironment Env;
  QString Folder;
  QString CacheFile;
};

TEST_F(FolderSavegamesTest, MissingAndOtherVersionsByNameHashAndVersion) {
  const QString Map = Archive(QStringLiteral("FS22_HofBergmann.zip"));
  Archive(QStringLiteral("FS22_Changed.zip"));
  Archive(QStringLiteral("fs22_lowercase.zip"));
  Archive(QStringLiteral("FS22_NoHash.zip"));
  FolderMod(QStringLiteral("FS22_FolderMod"), "0.9.0.0");
  FolderMod(QStringLiteral("FS22_FolderNewer"), "2.0.0.0");

  TSavegame Save;
  Save.FolderName = QStringLiteral("savegame4");
  Save.MapTitle = QStringLiteral("Hof Bergmann");
  Save.Mods = {
      SaveMod(QStringLiteral("FS22_HofBergmann"), QStringLiteral("1.0.0.2"), GameHash(Map)),
      SaveMod(QStringLiteral("FS22_Changed"), QStringLiteral("1.0.0.0"),
              QStringLiteral("00000000000000000000000000000000")),
      // The sync's own comparison: letter case does not tell archives apart.
      SaveMod(QStringLiteral("FS22_LowerCase"), QStringLiteral("1.0.0.0")),
      // Saved while it was a folder: the archive stands in for it.
      SaveMod(QStringLiteral("FS22_NoHash"), QStringLiteral("3.0.0.0")),
      SaveMod(QStringLiteral("FS22_FolderMod"), QStringLiteral("0.9.0.0")),
      SaveMod(QStringLiteral("FS22_FolderNewer"), QStringLiteral("1.0.0.0")),
      SaveMod(QStringLiteral("FS22_Missing"), QStringLiteral("1.0.0.0"),
              QStringLiteral("11111111111111111111111111111111")),
      // The game's own content lives elsewhere.
      SaveMod(QStringLiteral("pdlc_claasPack"), QStringLiteral("1.0.0.0")),
  };
  TSavegame Other;
  Other.FolderName = QStringLiteral("savegame9");
  Other.Mods = {SaveMod(QStringLiteral("FS22_Elsewhere"), QStringLiteral("1.0.0.0"))};

  const std::vector<TSavegameNeeds> Needs = Match({Save, Other});
  ASSERT_EQ(Needs.size(), 2u);
  EXPECT_EQ(Needs[0].FolderName, QStringLiteral("savegame4"));
  EXPECT_EQ(Needs[0].MapTitle, QStringLiteral("Hof Bergmann"));
  EXPECT_EQ(Needs[0].Held, 4);
  EXPECT_TRUE(Needs[0].UsesFolder());
  EXPECT_EQ(NamesOf(Needs[0].Missing), QStringList{QStringLiteral("FS22_Missing")});
  EXPECT_EQ(NamesOf(Needs[0].OtherVersion),
            (QStringList{QStringLiteral("FS22_Changed"), QStringLiteral("FS22_FolderNewer")}));
  EXPECT_EQ(Needs[1].Held, 0);
  EXPECT_FALSE(Needs[1].UsesFolder());
  EXPECT_EQ(NamesOf(Needs[1].Missing), QStringList{QStringLiteral("FS22_Elsewhere")});
}

TEST_F(FolderSavegamesTest, HashesComeFromTheFoldersCacheAndWhatIsHashedIsKept) {
  const QString Map = Archive(QStringLiteral("FS22_Map.zip"));
  const QString RealHash = GameHash(Map);
  TSavegame Save;
  Save.FolderName = QStringLiteral("savegame1");
  Save.Mods = {SaveMod(QStringLiteral("FS22_Map"), QStringLiteral("1.0.0.0"), RealHash)};

  // Only names and versions asked: nothing is hashed, no cache is written.
  TSavegame ByName = Save;
  ByName.Mods[0].FileHash.clear();
  EXPECT_EQ(Match({ByName})[0].Held, 1);
  EXPECT_FALSE(QFileInfo::exists(CacheFile));

  // The cache's word is taken for a file it knows unchanged: a hash it holds
  // for the archive as it is wins over reading the archive again.
  {
    TArchiveFactsCache Cache(CacheFile);
    Cache.PutHash(QFileInfo(Map), QStringLiteral("22222222222222222222222222222222"));
    Cache.Save();
  }
  EXPECT_EQ(NamesOf(Match({Save})[0].OtherVersion), QStringList{QStringLiteral("FS22_Map")});

  // A cache that lacks the archive: hashed once, and the cache keeps it.
  QFile::remove(CacheFile);
  EXPECT_EQ(Match({Save})[0].Held, 1);
  TArchiveFactsCache Kept(CacheFile);
  Kept.Load();
  // Replacing the bytes keeps size and time: the cache's entry stands.
  const QByteArray Bytes = ReadFile(Map);
  QFile File(Map);
  const QDateTime Modified = QFileInfo(Map).lastModified();
  ASSERT_TRUE(File.open(QIODevice::ReadWrite));
  File.seek(Bytes.size() - 1);
  File.write("\x01", 1);
  ASSERT_TRUE(File.flush());
  File.setFileTime(Modified, QFileDevice::FileModificationTime);
  File.close();
  EXPECT_EQ(Kept.Hash(QFileInfo(Map)), RealHash);
}

TEST_F(FolderSavegamesTest, AFolderThatDoesNotExistLacksEveryMod) {
  TSavegame Save;
  Save.FolderName = QStringLiteral("savegame2");
  Save.Mods = {SaveMod(QStringLiteral("FS22_A"), QStringLiteral("1.0.0.0"))};
  const std::vector<TSavegameNeeds> Needs = Match({Save});
  EXPECT_EQ(NamesOf(Needs[0].Missing), QStringList{QStringLiteral("FS22_A")});
}

} // namespace
} // namespace tilvane::test
