#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

namespace tilvane {

// One archive that another folder holds byte for byte under the same name.
struct TSharedArchive {
  QString Keep;      // the file that stays
  QString Duplicate; // becomes a second name of Keep
  qint64 Size = 0; // what the drive gets back (0 when the duplicate's bytes stay for another name)
  // What both were when they were compared: a file changed since is left alone.
  qint64 KeepModifiedMs = 0;
  qint64 DuplicateModifiedMs = 0;
};

// Finds the archives that several mod folders hold alike (same file name,
// same game hash, same drive) and, when the player asks, makes them one file
// with several names (hard links), which gives the space of every copy but
// one back. Nothing changes on disk before Apply. Finding reads every archive
// that has a namesake of the same size in another folder (the folders' hash
// caches spare the reading of unchanged ones), so it belongs on a worker
// thread. Widget-free.
class TModSharing {
public:
  // AStateFolder: where the program keeps each folder's lock and hash cache.
  explicit TModSharing(const QString& AStateFolder);

  // Compares the archives of AFolders. ACancelled, when set, ends the search
  // early (with what was found so far).
  void Find(const QStringList& AFolders, const std::atomic_bool* ACancelled = nullptr);
  const QList<TSharedArchive>& Duplicates() const { return FDuplicates; }
  // The space Apply would free, in bytes.
  qint64 BytesToFree() const;

  // Puts a link in each duplicate's place (atomically), skipping a folder
  // that a sync holds and files changed since Find. Returns how many were
  // linked; AFailures gets a line for each that failed for another reason
  // than a drive or file system without links.
  int Apply(QStringList& AFailures);

private:
  QString FStateFolder;
  QList<TSharedArchive> FDuplicates;
};

} // namespace tilvane
