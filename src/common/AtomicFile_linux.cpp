#include "common/AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <system_error>

namespace tilvane {

namespace {
bool IsReadOnly(const QFileInfo& AInfo) {
  constexpr QFile::Permissions AnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return (AInfo.permissions() & AnyWrite) == 0 || !AInfo.isWritable();
}
} // namespace

bool ReplaceFileContents(const QString& AFileName, const QByteArray& AData, QString& AError) {
  const QFileInfo Info(AFileName);
  if (Info.exists() && IsReadOnly(Info)) {
    AError = QString::fromStdString(std::make_error_code(std::errc::permission_denied).message());
    return false;
  }
  // Unbuffered: QSaveFile::commit() does not look at a failure of a final
  // flush and would rename a stump into place, so every write is checked here.
  QSaveFile File(AFileName);
  if (!File.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    AError = File.errorString();
    return false;
  }
  qint64 Written = 0;
  while (Written < AData.size()) {
    const qint64 N = File.write(AData.constData() + Written, AData.size() - Written);
    if (N <= 0) {
      AError = File.errorString();
      File.cancelWriting();
      return false;
    }
    Written += N;
  }
  if (!File.commit()) {
    AError = File.errorString();
    return false;
  }
  return true;
}

} // namespace tilvane
