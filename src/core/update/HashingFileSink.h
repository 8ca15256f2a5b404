#pragma once

#include "core/update/ArchiveHash.h"

#include <QIODevice>

class QFile;

namespace tilvane {

// What a download writes, on its way into the partial file: every block is
// written unbuffered (so that each write reports its own failure, a full disk)
// and added to the game's hash of the archive, so that checking the finished
// download needs no second read of it.
class THashingFileSink : public QIODevice {
public:
  // AFile must be open for writing; it stays the caller's.
  explicit THashingFileSink(QFile& AFile);

  // Opens the sink for writing; the bytes hashed start again from none.
  bool Restart();
  // Off: the bytes only pass. MD5 runs at about the speed of a loopback
  // transfer, so it is paid only where a hash will be compared.
  void SetHashing(bool AHashing) { FHashing = AHashing; }
  bool Hashing() const { return FHashing; }
  TModArchiveHasher& Hasher() { return FHasher; }

protected:
  qint64 readData(char* AData, qint64 AMaxSize) override;
  qint64 writeData(const char* AData, qint64 ASize) override;

private:
  QFile& FFile;
  TModArchiveHasher FHasher;
  bool FHashing = true;
};

} // namespace tilvane
