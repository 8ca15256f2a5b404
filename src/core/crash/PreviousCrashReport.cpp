#include "core/crash/PreviousCrashReport.h"

#include <QFile>

namespace tilvane {

std::optional<QString> TakePreviousCrashReport(const QString& APath) {
  QFile File(APath);
  if (!File.open(QIODevice::ReadOnly))
    return std::nullopt;
  const QByteArray Content = File.readAll();
  File.close();
  // Removed even when it is empty: a file that is offered at
  // every start and never shows anything helps nobody.
  QFile::remove(APath);
  if (Content.trimmed().isEmpty())
    return std::nullopt;
  return QString::fromUtf8(Content);
}

} // namespace tilvane
