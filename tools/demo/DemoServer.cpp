#include "DemoServer.h"

#include "ModArchives.h"
#include "ModPages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace tilvane::demo {

const QString TDemoServer::User = QStringLiteral("admin");
const QString TDemoServer::Password = QStringLiteral("harvest");
const QString TDemoServer::StatsFeedCode = QStringLiteral("5f3a9c1e");

namespace {

// The mod whose version each change raises, the one whose archive each
// change replaces without raising its version (an author's quiet fix, which
// only the archive's hash tells), and the one each change takes away or
// brings back.
const QString Updated = QStringLiteral("ServiceTrailer");
const QString Fixed = QStringLiteral("RepairPickup");
const QString Removed = QStringLiteral("HofUndStall");

struct TModTemplate {
  const char* Name; // the file name without the game's prefix and ".zip"
  const char* Title;
  const char* Author;
  int SizePercent; // of the large size; 0: a small archive
};

// A list as players meet it: a map and packs of tens of megabytes, small
// tools, a name with an ampersand and umlauts, and a DLC, which the server
// lists without a download.
const TModTemplate Templates[] = {
    {"ValleyCrestMap", "Valley Crest Map", "Demo Farm Works", 100},
    {"ServiceTrailer", "Service Trailer", "Tilvane Demo", 0},
    {"HofUndStall", "Hof & Stall", "J\u00fcrgen \u00d6lm\u00fcller", 0},
    {"TractorPack", "Tractor Pack", "Demo Farm Works", 80},
    {"SiloExtension", "Silo Extension", "Tilvane Demo", 0},
    {"HarvesterXL", "Harvester XL", "Demo Farm Works", 60},
    {"RepairPickup", "Repair Pickup", "Tilvane Demo", 0},
};

QString Prefix(TFSVersion FSVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(FSVersion) + u'_';
}

kit::TPageLayout LayoutOf(TFSVersion FSVersion) {
  return FSVersion == TFSVersion::fsv22 ? kit::TPageLayout::Grid92 : kit::TPageLayout::Grid100;
}

} // namespace

struct TDemoServer::TGame {
  TFSVersion FSVersion;
  QString Folder;
  std::vector<TDemoMod> Mods;
  TDemoMod Dlc;
  std::optional<TDemoMod> Away; // the mod a change took off the list
  std::unique_ptr<kit::TModFileServer> Server;
};

TDemoServer::TDemoServer(const QString& AFolder, const TOptions& AOptions)
    : FFolder(AFolder), FOptions(AOptions) {
  QByteArray Payload(FOptions.LargeBytes, Qt::Uninitialized);
  kit::FillRandom(Payload, 2025);
  std::uint64_t Seed = 1;
  for (const TFSVersion FSVersion : Games()) {
    auto Game = std::make_unique<TGame>();
    Game->FSVersion = FSVersion;
    Game->Folder = QDir(FFolder).filePath(FSTabCaption(FSVersion).toLower());
    if (!QDir().mkpath(Game->Folder))
      throw std::runtime_error("cannot create " + Game->Folder.toStdString());
    for (const TModTemplate& Template : Templates) {
      TDemoMod Mod{Prefix(FSVersion) + QLatin1String(Template.Name) + QStringLiteral(".zip"),
                   QString::fromUtf8(Template.Title), QString::fromUtf8(Template.Author),
                   QStringLiteral("1.0.0.0"), 0};
      const QString Path = QDir(Game->Folder).filePath(Mod.FileName);
      if (Template.SizePercent > 0)
        kit::WriteLargeModArchive(Path, Mod.Author, Mod.Version, Payload,
                                  FOptions.LargeBytes * Template.SizePercent / 100, Seed++);
      else
        kit::WriteSmallModArchive(Path, Mod.Author, Mod.Version, static_cast<int>(Seed++), 24);
      Mod.Bytes = QFileInfo(Path).size();
      Game->Mods.push_back(Mod);
    }
    Game->Dlc = TDemoMod{QStringLiteral("pdlc_forestryPack.dlc"), QStringLiteral("Forestry Pack"),
                         QStringLiteral("GIANTS Software"), QStringLiteral("1.1.0.0"), 0};
    Game->Server = std::make_unique<kit::TModFileServer>(Game->Folder);
    Game->Server->SetRateLimit(FOptions.Rate);
    Game->Server->SetAction(QStringLiteral("/change"), [this] { return Change(); });
    Publish(*Game);
    FGames.push_back(std::move(Game));
  }
}

TDemoServer::~TDemoServer() {
  // A change asked for on one game's server touches both: none may run
  // while the servers go.
  std::lock_guard Lock(FMutex);
  FClosing = true;
}

TDemoServer::TGame& TDemoServer::GameOf(TFSVersion FSVersion) const {
  for (const auto& Game : FGames) {
    if (Game->FSVersion == FSVersion)
      return *Game;
  }
  throw std::runtime_error("the demo server plays no " + FSTabCaption(FSVersion).toStdString());
}

QString TDemoServer::PublicPageURL(TFSVersion FSVersion) const {
  return GameOf(FSVersion).Server->BaseURL() + QStringLiteral("mods.html");
}

QString TDemoServer::AdminPageURL(TFSVersion FSVersion) const {
  return GameOf(FSVersion).Server->BaseURL() + QStringLiteral("admin/mods.html");
}

QString TDemoServer::StatsFeedURL(TFSVersion FSVersion) const {
  return GameOf(FSVersion).Server->StatsFeedURL();
}

kit::TModFileServer& TDemoServer::GameServer(TFSVersion FSVersion) const {
  return *GameOf(FSVersion).Server;
}

std::vector<TDemoMod> TDemoServer::Mods(TFSVersion FSVersion) const {
  std::lock_guard Lock(FMutex);
  const TGame& Game = GameOf(FSVersion);
  std::vector<TDemoMod> Result = Game.Mods;
  Result.push_back(Game.Dlc);
  return Result;
}

void TDemoServer::Publish(TGame& AGame) {
  std::vector<kit::TPageRow> Rows;
  for (const TDemoMod& Mod : AGame.Mods) {
    kit::TPageRow Row;
    Row.FileName = Mod.FileName;
    // The page is HTML; the feed's XML writer escapes for itself.
    Row.Title = Mod.Title.toHtmlEscaped();
    Row.Author = Mod.Author.toHtmlEscaped();
    Row.Version = Mod.Version;
    Row.SizeMB = QString::number(static_cast<double>(Mod.Bytes) / (1024.0 * 1024.0), 'f', 2);
    Rows.push_back(Row);
  }
  kit::TPageRow Dlc;
  Dlc.FileName = AGame.Dlc.FileName;
  Dlc.Title = AGame.Dlc.Title;
  Dlc.Author = AGame.Dlc.Author;
  Dlc.Version = AGame.Dlc.Version;
  Dlc.WithLink = false;
  Dlc.SizeMB = QStringLiteral("1021.44");
  Rows.push_back(Dlc);
  const kit::TPageLayout Layout = LayoutOf(AGame.FSVersion);
  // The game lists what it runs: the archives, not the DLC.
  std::vector<kit::TFeedMod> Feed;
  for (const TDemoMod& Mod : AGame.Mods)
    Feed.push_back({Mod.FileName, Mod.Title, Mod.Author, Mod.Version});
  kit::TFeedServer FeedServer;
  FeedServer.Game = QStringLiteral("Farming Simulator ") + FSVersionToNumberStr(AGame.FSVersion);
  AGame.Server->SetStatsFeed(StatsFeedCode, FeedServer, std::move(Feed));
  AGame.Server->SetPage(QStringLiteral("/mods.html"), kit::MakeModPage(Layout, Rows));
  AGame.Server->SetLoginPage(QStringLiteral("/admin/mods.html"),
                             kit::MakeAdminModPage(Layout, Rows), User, Password,
                             kit::MakeLoginPage(Layout));
}

void TDemoServer::WriteArchive(const TGame& AGame, const TDemoMod& AMod, std::uint64_t ASeed) {
  // Written beside and renamed over the old one: a download that is under
  // way keeps reading the file it opened.
  const QString Path = QDir(AGame.Folder).filePath(AMod.FileName);
  const QString Fresh = Path + QStringLiteral(".new");
  kit::WriteSmallModArchive(Fresh, AMod.Author, AMod.Version, static_cast<int>(ASeed), 24);
  if (::rename(QFile::encodeName(Fresh).constData(), QFile::encodeName(Path).constData()) != 0)
    throw std::runtime_error("cannot replace " + Path.toStdString());
}

QString TDemoServer::Change() {
  std::lock_guard Lock(FMutex);
  if (FClosing)
    return QStringLiteral("the demo server is closing");
  ++FChanges;
  QStringList Said;
  for (const auto& Game : FGames) {
    const QString Prefixed = Prefix(Game->FSVersion);
    for (TDemoMod& Mod : Game->Mods) {
      if (Mod.FileName != Prefixed + Updated + QStringLiteral(".zip"))
        continue;
      Mod.Version = QStringLiteral("1.%1.0.0").arg(FChanges);
      WriteArchive(*Game, Mod, 1000 + static_cast<std::uint64_t>(FChanges));
      Mod.Bytes = QFileInfo(QDir(Game->Folder).filePath(Mod.FileName)).size();
      Said.append(Mod.FileName + QStringLiteral(" is now version ") + Mod.Version);
    }
    for (TDemoMod& Mod : Game->Mods) {
      if (Mod.FileName != Prefixed + Fixed + QStringLiteral(".zip"))
        continue;
      WriteArchive(*Game, Mod, 2000 + static_cast<std::uint64_t>(FChanges));
      Mod.Bytes = QFileInfo(QDir(Game->Folder).filePath(Mod.FileName)).size();
      Said.append(Mod.FileName + QStringLiteral(" has a fixed archive, still version ") +
                  Mod.Version);
    }
    const QString Gone = Prefixed + Removed + QStringLiteral(".zip");
    const auto It = std::find_if(Game->Mods.begin(), Game->Mods.end(),
                                 [&Gone](const TDemoMod& AMod) { return AMod.FileName == Gone; });
    if (It != Game->Mods.end()) {
      Game->Away = *It;
      Game->Mods.erase(It);
      Said.append(Gone + QStringLiteral(" left the list"));
    } else if (Game->Away) {
      // Back where it was; its archive never left the server's folder.
      Game->Mods.insert(Game->Mods.begin() + 2, *Game->Away);
      Game->Away.reset();
      Said.append(Gone + QStringLiteral(" is back"));
    }
    Publish(*Game);
  }
  return Said.join(QStringLiteral("; "));
}

} // namespace tilvane::demo
