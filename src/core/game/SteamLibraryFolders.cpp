#include "core/game/SteamLibraryFolders.h"

#include <QFile>

namespace tilvane {

QString TSteamLibraryFolders::PathOfLine(const QString& ALine) {
  static const QString Token = QStringLiteral("\"path\"");
  const qsizetype tokenAt = ALine.indexOf(Token);
  if (tokenAt < 0)
    return {};
  // The value sits between the next two quotation marks after the token.
  const qsizetype open = ALine.indexOf(QLatin1Char('"'), tokenAt + Token.size());
  if (open < 0)
    return {};
  const qsizetype close = ALine.indexOf(QLatin1Char('"'), open + 1);
  if (close < 0)
    return {};
  QString value = ALine.mid(open + 1, close - open - 1);
  value.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
  return value;
}

QStringList TSteamLibraryFolders::ParsePaths(const QString& AText) {
  QStringList result;
  // Split on LF; a CR left at the end of a line never sits inside a value.
  const QStringList lines = AText.split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    const QString path = PathOfLine(line);
    if (!path.isEmpty())
      result.append(path);
  }
  return result;
}

QStringList TSteamLibraryFolders::ReadFile(const QString& AFileName) {
  QFile file(AFileName);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return ParsePaths(QString::fromUtf8(file.readAll()));
}

} // namespace tilvane
