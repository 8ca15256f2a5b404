#pragma once

#include <QString>

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

} // namespace tilvane
