#include "core/server/ModPageFile.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"

namespace tilvane {

void SaveModPageToFile(const QString& AFileName, const QString& APage) {
  QString Reason;
  if (!ReplaceFileContents(AFileName, APage.toUtf8(), Reason))
    throw EAppError(QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, Reason));
}

} // namespace tilvane
