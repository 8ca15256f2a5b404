#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>

namespace tilvane {

// The game tells mod archives apart by a hash of its own: the MD5 of the
// archive's bytes followed by the mod name (the file name without ".zip"),
// written as 32 lowercase hex digits. The dedicated server's stats feed and a
// savegame carry the same value, so comparing it is comparing the way the game
// does before it lets a player join.

// "FS22_X.zip" -> "FS22_X" (any letter case of ".zip"); other names as they are.
QString ModNameOfArchive(const QString& AFileName);

// Hashes a stream of archive bytes as they pass (a download), so that checking
// a finished download costs no second read.
class TModArchiveHasher {
public:
  TModArchiveHasher();
  ~TModArchiveHasher();
  TModArchiveHasher(const TModArchiveHasher&) = delete;
  TModArchiveHasher& operator=(const TModArchiveHasher&) = delete;

  void AddData(QByteArrayView AData);
  // Starts again with no bytes.
  void Reset();
  // The game's hash of the bytes added so far, for the archive AModName.
  // The hasher is reset afterwards.
  QString Result(const QString& AModName);

private:
  class TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// The game's hash of the archive at APath, read in blocks (never the whole
// file in memory); the mod name comes from the path's file name. Raises
// EAppError with the system's reason when the file cannot be read.
QString ModArchiveHash(const QString& APath);

} // namespace tilvane
