#include "core/update/FolderContents.h"

#include "core/common/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace tilvane {

QStringList ZipFilesIn(const QString& AFolder) {
  QDir Dir(AFolder);
  Dir.setNameFilters({QStringLiteral("*.zip")});
  QStringList Result;
  for (const QString& Name : Dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort))
    Result.append(JoinPath(AFolder, Name));
  return Result;
}

TFolderContents TFolderContents::Read(const QString& AModFolder) {
  TFolderContents Result;
  for (const QString& Path : ZipFilesIn(AModFolder)) {
    ++Result.Archives;
    Result.Bytes += QFileInfo(Path).size();
  }
  return Result;
}

} // namespace tilvane
