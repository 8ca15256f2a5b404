#pragma once

#include "core/savegames/Savegame.h"

#include <QHash>
#include <QList>
#include <QString>

#include <atomic>

#include <memory>
#include <vector>

namespace tilvane {

class TArchiveFactsCache;

// What one save needs of one mod folder.
struct TSavegameNeeds {
  QString FolderName; // "savegame1"
  QString SavegameName;
  QString MapTitle;
  // The save's mods the folder holds in the version the save was made with.
  int Held = 0;
  // The save's mods the folder does not hold at all.
  QList<TSavegameMod> Missing;
  // The save's mods the folder holds in another version: another hash where
  // the save has one, else another version in the description.
  QList<TSavegameMod> OtherVersion;

  // The folder serves this save with at least one of its mods.
  bool UsesFolder() const { return Held > 0; }
};

// Matches the saves of a generation with the mods of one folder: by mod name
// (the archive FS22_X.zip or the folder FS22_X for the modName FS22_X,
// ignoring ASCII letter case as the sync does), then by the game's hash where
// the save has one. Hashes come from the folder's facts cache; an archive the
// cache does not know is hashed only when a save asks for its hash, and the
// cache keeps what was learnt. Reads the disk: run it on a worker.
class TFolderSavegames {
public:
  // ACacheFile: the folder's facts cache (TArchiveFactsCache::CacheFileFor).
  TFolderSavegames(const QString& AModFolder, const QString& ACacheFile);
  ~TFolderSavegames();

  TFolderSavegames(const TFolderSavegames&) = delete;
  TFolderSavegames& operator=(const TFolderSavegames&) = delete;

  // One entry per save, in the order given. The game's own content (pdlc_…)
  // is never looked for in the folder. ACancelled, when it turns true, ends
  // the matching before the next mod (an archive being hashed is finished
  // first), with what was found so far.
  std::vector<TSavegameNeeds> Match(const std::vector<TSavegame>& ASaves,
                                    const std::atomic_bool* ACancelled = nullptr);

private:
  enum class TVerdict { Held, Missing, OtherVersion };
  TVerdict Judge(const TSavegameMod& AMod);
  TVerdict JudgeArchive(const TSavegameMod& AMod, const QString& APath);
  TVerdict JudgeFolderMod(const TSavegameMod& AMod, const QString& APath);
  void ReadFolder();
  void SaveCache();

  QString FModFolder;
  std::unique_ptr<TArchiveFactsCache> FFacts;
  bool FCacheChanged = false;
  QHash<QString, QString> FArchives;   // folded mod name -> archive path
  QHash<QString, QString> FFolderMods; // folded mod name -> folder path
  QHash<QString, QString> FHashes;     // archive path -> the game's hash
};

} // namespace tilvane
