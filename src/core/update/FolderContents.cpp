#include "core/update/FolderContents.h"

#include <QDirIterator>
#include <QFileInfo>

namespace tilvane {

TFolderContents TFolderContents::Read(const QString& AModFolder) {
  TFolderContents Result;
  // Name filters ignore letter case: "MOD.ZIP" is an archive to the game too.
  QDirIterator It(AModFolder, {QStringLiteral("*.zip")}, QDir::Files | QDir::Hidden | QDir::System);
  while (It.hasNext()) {
    It.next();
    ++Result.Archives;
    Result.Bytes += It.fileInfo().size();
  }
  return Result;
}

} // namespace tilvane
