#pragma once

#include <QString>
#include <QStringList>

namespace tilvane {

// How many archives a mod folder holds and how much space they take: the
// *.zip files directly in it, as the sync and the game count them.
struct TFolderContents {
  int Archives = 0;
  qint64 Bytes = 0;

  // Walks the folder: call it on a worker, a large folder on a slow disk
  // takes a while. A missing folder holds nothing.
  static TFolderContents Read(const QString& AModFolder);
};

// The paths of the mod archives in AFolder: its *.zip files in any letter
// case ("MOD.ZIP" is an archive to the game too), hidden ones included. What
// the sync compares with the server and what the folder line counts.
QStringList ZipFilesIn(const QString& AFolder);

} // namespace tilvane
