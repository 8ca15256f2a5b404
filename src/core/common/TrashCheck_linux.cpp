#include "core/common/TrashCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace tilvane {

namespace {

bool Stat(const QString& APath, struct stat& AInfo) {
  return ::lstat(QFile::encodeName(APath).constData(), &AInfo) == 0;
}

bool IsWritableFolder(const QString& APath) {
  struct stat Info {};
  if (::stat(QFile::encodeName(APath).constData(), &Info) != 0 || !S_ISDIR(Info.st_mode))
    return false;
  return ::access(QFile::encodeName(APath).constData(), W_OK | X_OK) == 0;
}

// Whether the missing folder APath can be made, with the missing folders
// above it (MoveToTrash makes the data folder first).
bool CanBeMade(const QString& APath) {
  QString Above = QFileInfo(APath).absolutePath();
  struct stat Info {};
  while (::stat(QFile::encodeName(Above).constData(), &Info) != 0) {
    const QString Next = QFileInfo(Above).absolutePath();
    if (Next == Above)
      return false;
    Above = Next;
  }
  return IsWritableFolder(Above);
}

// Whether Qt could use APath as a folder: there already (a folder, through a
// link too, as Qt accepts it), or one that can be made.
bool CouldBeFolder(const QString& APath) {
  struct stat Info {};
  if (::stat(QFile::encodeName(APath).constData(), &Info) == 0)
    return S_ISDIR(Info.st_mode);
  return CanBeMade(APath);
}

// A folder that will take new entries: writable, or made (and so writable)
// by us.
bool WillTakeEntries(const QString& APath) {
  struct stat Info {};
  if (::stat(QFile::encodeName(APath).constData(), &Info) == 0)
    return IsWritableFolder(APath);
  return CanBeMade(APath);
}

// The trash folder QFile::moveToTrash picks for ASource, by the same rules
// (the freedesktop.org trash: $topdir/.Trash/$uid, $topdir/.Trash-$uid, the
// home trash), without making anything. Empty when it would find none.
QString ChosenTrash(const QString& ASource) {
  const QStorageInfo SourceStorage(ASource);
  if (SourceStorage != QStorageInfo(QDir::home())) {
    const QString Top = SourceStorage.rootPath();
    const QString User = QString::number(::getuid());
    const QString DotTrash = Top + QStringLiteral("/.Trash");
    struct stat Info {};
    if (Stat(DotTrash, Info) && !S_ISLNK(Info.st_mode) && (Info.st_mode & S_ISVTX) != 0 &&
        S_ISDIR(Info.st_mode)) {
      const QString Candidate = DotTrash + u'/' + User;
      if (CouldBeFolder(Candidate))
        return Candidate;
    }
    const QString Candidate = Top + QStringLiteral("/.Trash-") + User;
    if (CouldBeFolder(Candidate))
      return Candidate;
  }
  const QString Data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (Data.isEmpty())
    return {};
  const QString Home = Data + QStringLiteral("/Trash");
  return CouldBeFolder(Home) ? Home : QString();
}

// The device a path is on, or of the nearest folder above it that exists.
dev_t DeviceOf(QString APath) {
  struct stat Info {};
  while (::stat(QFile::encodeName(APath).constData(), &Info) != 0) {
    const QString Parent = QFileInfo(APath).absolutePath();
    if (Parent == APath)
      return 0;
    APath = Parent;
  }
  return Info.st_dev;
}

} // namespace

bool TrashCanTake(const QString& AFileName) {
  const QString Source = QFileInfo(AFileName).absoluteFilePath();
  const QString Trash = ChosenTrash(Source);
  if (Trash.isEmpty())
    return false;
  if (!WillTakeEntries(Trash + QStringLiteral("/files")) ||
      !WillTakeEntries(Trash + QStringLiteral("/info")))
    return false;
  // A trash on another drive can only be reached by copying, which Qt does
  // not do: the move would fail.
  return DeviceOf(Trash) == DeviceOf(QFileInfo(Source).absolutePath());
}

} // namespace tilvane
