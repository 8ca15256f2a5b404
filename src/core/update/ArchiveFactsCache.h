#pragma once

#include "core/update/ModInfo.h"

#include <QFileInfo>
#include <QHash>
#include <QString>

#include <optional>

namespace tilvane {

// What the sync has learnt about the archives of one mod folder, so that a
// second sync reads neither the archives nor their descriptions again: per
// archive file name, the game's hash and the description's author and
// version, each valid while the file keeps the size and modification time it
// had when they were taken. Kept in one small file the program owns; a
// damaged, foreign or unreadable file reads as an empty cache and is written
// anew.
class TArchiveFactsCache {
public:
  // ACacheFile: where the cache of this folder lives (CacheFileFor).
  explicit TArchiveFactsCache(const QString& ACacheFile);

  // The file that keeps the facts of AModFolder below ACacheFolder: one name
  // per folder, derived from the folder's absolute path.
  static QString CacheFileFor(const QString& ACacheFolder, const QString& AModFolder);

  // Reads the file; a missing or damaged one gives an empty cache.
  void Load();
  // Writes the facts of the archives still present (atomically). Raises
  // EAppError when the file cannot be written.
  void Save();

  // The game's hash of the archive, from the cache when the file is unchanged,
  // else read (and kept). Raises EAppError when the archive cannot be read.
  QString Hash(const QFileInfo& AArchive);
  // A hash learnt elsewhere (while downloading) for the file as it is now.
  void PutHash(const QFileInfo& AArchive, const QString& AHash);

  // Author and version, when known for the file as it is now.
  std::optional<TModInfo> Info(const QFileInfo& AArchive) const;
  void PutInfo(const QFileInfo& AArchive, const TModInfo& AInfo);

  // Forgets an archive (removed or replaced).
  void Forget(const QString& AFileName);

private:
  struct TEntry {
    qint64 Size = -1;
    qint64 ModifiedMs = 0;
    QString Hash;
    bool HasInfo = false;
    TModInfo Info;
  };
  TEntry* Current(const QFileInfo& AArchive);
  const TEntry* Current(const QFileInfo& AArchive) const;
  TEntry& Fresh(const QFileInfo& AArchive);
  bool InFolder(const QFileInfo& AArchive) const;

  QString FCacheFile;
  // The mod folder the entries belong to: from the file, else from the first
  // archive asked about. Save checks the archives there.
  QString FFolder;
  QHash<QString, TEntry> FEntries; // by file name as on disk
};

} // namespace tilvane
