#pragma once

#include "ModFileServer.h"
#include "core/game/FSVersion.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tilvane::demo {

// One row of the demo server's list.
struct TDemoMod {
  QString FileName;
  QString Title;
  QString Author;
  QString Version;
  qint64 Bytes = 0; // the archive's size; 0 for a DLC, which has no archive
};

// A dedicated server for FS22 and one for FS25, each on a port of its own on
// 127.0.0.1, with mod archives generated at start into a folder:
//   /mods.html        the public mod list
//   /admin/mods.html  the administrator's list, behind the web login
//   /mods/<file>      the archives
//   /feed/dedicated-server-stats.xml?code=<StatsFeedCode>
//                     the game's stats feed, with each archive's hash
//   POST /change      a new version of one mod, a fixed archive of another at
//                     the same version, a third mod gone or back
class TDemoServer {
public:
  struct TOptions {
    // The size of the largest archive; two others have 80 % and 60 % of it.
    qint64 LargeBytes = 40LL * 1024 * 1024;
    // Bytes per second of each download; 0: unlimited.
    std::int64_t Rate = 16LL * 1024 * 1024;
  };

  static const QString User;
  static const QString Password;
  static const QString StatsFeedCode;

  TDemoServer(const QString& AFolder, const TOptions& AOptions);
  ~TDemoServer();

  static QList<TFSVersion> Games() { return {TFSVersion::fsv22, TFSVersion::fsv25}; }
  QString PublicPageURL(TFSVersion FSVersion) const;
  QString AdminPageURL(TFSVersion FSVersion) const;
  // The stats feed with its code.
  QString StatsFeedURL(TFSVersion FSVersion) const;
  // The game's server, for the feed's settings.
  kit::TModFileServer& GameServer(TFSVersion FSVersion) const;
  // The rows each list shows now.
  std::vector<TDemoMod> Mods(TFSVersion FSVersion) const;
  // Changes both lists; says what changed.
  QString Change();

private:
  struct TGame;

  void Publish(TGame& AGame);
  void WriteArchive(const TGame& AGame, const TDemoMod& AMod, std::uint64_t ASeed);
  TGame& GameOf(TFSVersion FSVersion) const;

  QString FFolder;
  TOptions FOptions;
  mutable std::recursive_mutex FMutex;
  int FChanges = 0;
  bool FClosing = false;
  std::vector<std::unique_ptr<TGame>> FGames;
};

} // namespace tilvane::demo
