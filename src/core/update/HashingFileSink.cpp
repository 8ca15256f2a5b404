#include "core/update/HashingFileSink.h"

#include <QFile>

namespace tilvane {

THashingFileSink::THashingFileSink(QFile& AFile) : FFile(AFile) {}

bool THashingFileSink::Restart() {
  FHasher.Reset();
  if (isOpen())
    close();
  return open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 THashingFileSink::readData(char*, qint64) {
  return -1;
}

qint64 THashingFileSink::writeData(const char* AData, qint64 ASize) {
  const qint64 Written = FFile.write(AData, ASize);
  if (Written != ASize) {
    setErrorString(FFile.errorString());
    return -1;
  }
  if (FHashing)
    FHasher.AddData(QByteArrayView(AData, ASize));
  return Written;
}

} // namespace tilvane
