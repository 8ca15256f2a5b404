#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tilvane {

// Makes sure that one mod folder is synced by one task at a time, across every
// running copy of the program: a lock file per folder, named after the
// folder's absolute path, in a folder of the program's own. A lock left by a
// copy that died is taken over; one held by a live copy is never, however long
// its sync runs.
class TModFolderLock {
public:
  TModFolderLock(const QString& ALockFolder, const QString& AModFolder);
  ~TModFolderLock();
  TModFolderLock(const TModFolderLock&) = delete;
  TModFolderLock& operator=(const TModFolderLock&) = delete;

  // True when this object now holds the lock. Raises EAppError when the lock
  // folder cannot be made.
  bool TryLock();
  void Unlock();

  QString FileName() const { return FFileName; }

private:
  QString FFileName;
  std::unique_ptr<QLockFile> FLock;
};

} // namespace tilvane
