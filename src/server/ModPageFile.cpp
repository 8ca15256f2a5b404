#include "server/ModPageFile.h"

#include "common/AppError.h"

#include <QSaveFile>

namespace tilvane {

void SaveModPageToFile(const QString& AFileName, const QString& APage) {
  QSaveFile File(AFileName);
  const QByteArray Bytes = APage.toUtf8();
  if (!File.open(QIODevice::WriteOnly) || File.write(Bytes) != Bytes.size() || !File.commit()) {
    throw EAppError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
  }
}

} // namespace tilvane
