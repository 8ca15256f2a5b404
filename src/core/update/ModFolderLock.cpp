#include "core/update/ModFolderLock.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"

#include "core/update/ModFolderKey.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace tilvane {

TModFolderLock::TModFolderLock(const QString& ALockFolder, const QString& AModFolder) {
  FFileName = JoinPath(ALockFolder, QStringLiteral("sync-") + ModFolderKey(AModFolder) +
                                        QStringLiteral(".lock"));
  FLock = std::make_unique<QLockFile>(FFileName);
  // A sync may run for hours; only a lock whose process is gone is stale.
  FLock->setStaleLockTime(0);
}

TModFolderLock::~TModFolderLock() = default;

bool TModFolderLock::TryLock() {
  const QString Folder = QFileInfo(FFileName).absolutePath();
  if (!QDir().mkpath(Folder))
    throw EAppError(QLatin1String("Unable to create folder ") + Folder);
  return FLock->tryLock(0);
}

void TModFolderLock::Unlock() {
  FLock->unlock();
}

} // namespace tilvane
