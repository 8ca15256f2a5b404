// Random servers against random folders: whatever the mix of current,
// outdated, fixed-without-a-new-version, damaged and missing archives, a sync
// that reports success leaves every listed archive as the game will accept it,
// and every archive it took away is in the trash or went with the player's
// word.
#include "UpdateTaskFixture.h"

#include <QDir>

#include <random>

namespace tilvane::test {
namespace {

enum class TLocal { Missing, Current, OlderVersion, SameVersionOtherBytes, NoZip, NoModDesc };

struct TRoundMod {
  QString Name; // without ".zip"
  QString Version;
  QByteArray Served;
  TLocal Local = TLocal::Missing;
  QByteArray LocalBytes;
  bool InFeed = false;
};

class UpdatePropertyTest : public UpdateModsTaskTest {
protected:
  QByteArray Archive(const QString& AVersion, const QByteArray& AContent) {
    const QString Path = Env.PathOf(QStringLiteral("scratch.zip"));
    MakeZip(Path, {{QStringLiteral("modDesc.xml"), ModDescXml(QStringLiteral("Tester"), AVersion)},
                   {QStringLiteral("data.bin"), AContent}});
    const QByteArray Bytes = ReadFile(Path);
    QFile::remove(Path);
    return Bytes;
  }
  QByteArray RandomBytes(std::mt19937& ARandom) {
    QByteArray Bytes(std::uniform_int_distribution<int>(1, 3000)(ARandom), '\0');
    for (char& C : Bytes)
      C = static_cast<char>(ARandom());
    return Bytes;
  }
  // The bytes the folder must hold for the mod after a successful sync.
  static QByteArray Expected(const TRoundMod& AMod, bool AFeed) {
    const bool LocalAgrees =
        AMod.Local == TLocal::Current ||
        (AMod.Local == TLocal::SameVersionOtherBytes && !(AFeed && AMod.InFeed));
    return LocalAgrees ? AMod.LocalBytes : AMod.Served;
  }
};

TEST_F(UpdatePropertyTest, SuccessfulSyncLeavesWhatTheServerRunsAndLosesNothing) {
  const QString TrashRoot = QFileInfo(Env.TrashFiles()).absolutePath();
  for (unsigned Seed = 1; Seed <= 16; ++Seed) {
    SCOPED_TRACE(testing::Message() << "seed " << Seed);
    std::mt19937 Random(Seed);
    auto Chance = [&Random](int APercent) {
      return std::uniform_int_distribution<int>(0, 99)(Random) < APercent;
    };
    Folder.Folder = Env.PathOf(QStringLiteral("mods%1").arg(Seed));
    QDir().mkpath(Folder.Folder);
    Folder.RemoveModsNotOnServer = Chance(60);
    const bool Feed = Chance(60);
    Folder.StatsFeedURL =
        Feed ? Server.BaseURL() + QStringLiteral("feed/dedicated-server-stats.xml?code=c")
             : QString();

    std::vector<TRoundMod> Mods;
    std::vector<TPageRow> Rows;
    std::vector<TFeedMod> FeedMods;
    const int Count = std::uniform_int_distribution<int>(1, 6)(Random);
    for (int I = 0; I < Count; ++I) {
      TRoundMod M;
      M.Name = QStringLiteral("S%1_Mod%2").arg(Seed).arg(I);
      M.Version = Chance(50) ? QStringLiteral("1.0.0.0") : QStringLiteral("1.1.0.0");
      M.Served = Archive(M.Version, RandomBytes(Random));
      M.Local = static_cast<TLocal>(std::uniform_int_distribution<int>(0, 5)(Random));
      M.InFeed = Feed && Chance(80);
      switch (M.Local) {
      case TLocal::Missing:
        break;
      case TLocal::Current:
        M.LocalBytes = M.Served;
        break;
      case TLocal::OlderVersion:
        M.LocalBytes = Archive(QStringLiteral("0.9.0.0"), RandomBytes(Random));
        break;
      case TLocal::SameVersionOtherBytes:
        M.LocalBytes = Archive(M.Version, RandomBytes(Random));
        break;
      case TLocal::NoZip:
        M.LocalBytes = M.Served.left(M.Served.size() / 2);
        break;
      case TLocal::NoModDesc:
        MakeZip(
            Mod(M.Name + QStringLiteral(".zip")),
            {{QStringLiteral("x/modDesc.xml"), ModDescXml(QStringLiteral("Tester"), M.Version)}});
        M.LocalBytes = ReadFile(Mod(M.Name + QStringLiteral(".zip")));
        break;
      }
      if (M.Local != TLocal::Missing)
        WriteFile(Mod(M.Name + QStringLiteral(".zip")), M.LocalBytes);
      Server.SetFile(M.Name + QStringLiteral(".zip"), M.Served);
      Rows.push_back({M.Name + QStringLiteral(".zip"), QStringLiteral("Tester"), M.Version});
      if (M.InFeed)
        FeedMods.push_back(
            {M.Name, QStringLiteral("Tester"), M.Version, GameHashOf(M.Served, M.Name)});
      Mods.push_back(M);
    }
    std::map<QString, QByteArray> Unlisted;
    for (int I = std::uniform_int_distribution<int>(0, 3)(Random); I > 0; --I) {
      const QString Name = QStringLiteral("S%1_Own%2.zip").arg(Seed).arg(I);
      Unlisted[Name] = Archive(QStringLiteral("1.0.0.0"), RandomBytes(Random));
      WriteFile(Mod(Name), Unlisted[Name]);
    }
    // Now and then a trash that cannot take anything, and a player who says
    // yes or no to deleting for good.
    const bool BrokenTrash = Chance(30);
    const bool AgreeToDelete = Chance(50);
    QDir(TrashRoot).removeRecursively();
    if (BrokenTrash) {
      QDir().mkpath(TrashRoot);
      WriteFile(TrashRoot + QStringLiteral("/info"), "not a folder");
    }
    if (BrokenTrash && Folder.RemoveModsNotOnServer && !Unlisted.empty())
      AgreeToDelete ? Env.Prompts().AnswerYes() : Env.Prompts().AnswerNo();
    SetPage(TPageLayout::Grid100, Rows);
    Server.SetFeed({MakeStatsFeed(FeedMods)});

    ASSERT_TRUE(Run()) << Task->FinalMsg().toStdString();
    for (const TRoundMod& M : Mods)
      EXPECT_EQ(ReadFile(Mod(M.Name + QStringLiteral(".zip"))), Expected(M, Feed))
          << M.Name.toStdString() << " local state " << static_cast<int>(M.Local);
    for (const auto& [Name, Bytes] : Unlisted) {
      const bool Gone = Folder.RemoveModsNotOnServer && (!BrokenTrash || AgreeToDelete);
      EXPECT_EQ(QFile::exists(Mod(Name)), !Gone) << Name.toStdString();
      if (Gone && !BrokenTrash)
        EXPECT_EQ(ReadFile(Env.TrashFiles() + u'/' + Name), Bytes) << Name.toStdString();
    }
    EXPECT_TRUE(
        QDir(Folder.Folder)
            .entryList({QLatin1Char('*') + TUpdateModsTask::PartialDownloadSuffix()}, QDir::Files)
            .isEmpty());
    QDir(TrashRoot).removeRecursively();
  }
}

} // namespace
} // namespace tilvane::test
