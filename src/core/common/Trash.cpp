#include "core/common/Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tilvane {

bool MoveToTrash(const QString& AFileName) {
  // The home trash lives in the user's data folder. When that folder does not
  // exist, Qt 6.4 moves the file below the current working folder instead and
  // reports success, so make sure it is there first.
  const QString DataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (DataFolder.isEmpty() || !QDir().mkpath(DataFolder))
    return false;
  QString InTrash;
  if (!QFile::moveToTrash(AFileName, &InTrash))
    return false;
  // A trash that Qt could not place properly gives a relative path: bring the
  // file back rather than leave it somewhere the player will never look.
  if (QFileInfo(InTrash).isRelative()) {
    QFile::rename(InTrash, AFileName);
    return false;
  }
  return true;
}

} // namespace tilvane
