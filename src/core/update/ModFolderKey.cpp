#include "core/update/ModFolderKey.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace tilvane {

QString ModFolderKey(const QString& AModFolder) {
  const QString Folder = QDir::cleanPath(QFileInfo(AModFolder).absoluteFilePath());
  return QString::fromLatin1(
      QCryptographicHash::hash(Folder.toUtf8(), QCryptographicHash::Sha1).toHex());
}

} // namespace tilvane
