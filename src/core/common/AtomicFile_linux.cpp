#include "core/common/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <system_error>

#include <sys/stat.h>

namespace tilvane {

namespace {
bool IsReadOnly(const QFileInfo& AInfo) {
  constexpr QFile::Permissions AnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return (AInfo.permissions() & AnyWrite) == 0 || !AInfo.isWritable();
}

// Set on the open temporary file before any byte goes in, so that no moment
// exists in which others could read the passwords; fchmod ignores the umask.
bool MakeOwnerOnly(const QString& AFileName, int AHandle, QString& AError) {
  mode_t Mode = S_IRUSR | S_IWUSR;
  struct stat Old {};
  if (::stat(QFile::encodeName(AFileName).constData(), &Old) == 0)
    Mode &= Old.st_mode; // a stricter mode the user chose stays
  if (::fchmod(AHandle, Mode) != 0) {
    AError = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  return true;
}
} // namespace

bool ReplaceFileContents(const QString& AFileName, const QByteArray& AData, QString& AError,
                         TFileAccess AAccess) {
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
  if (AAccess == TFileAccess::OwnerOnly && !MakeOwnerOnly(AFileName, File.handle(), AError)) {
    File.cancelWriting();
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
