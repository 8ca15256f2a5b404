#include "core/game/SteamLibraryFolders.h"

#include <QFile>

namespace tilvane {

QString TSteamLibraryFolders::PathOfLine(const QString& ALine) {
  static const QString Token = QStringLiteral("\"path\"");
  const qsizetype TokenAt = ALine.indexOf(Token);
  if (TokenAt < 0)
    return {};
  // The value sits between the next two quotation marks after the token.
  const qsizetype Open = ALine.indexOf(QLatin1Char('"'), TokenAt + Token.size());
  if (Open < 0)
    return {};
  const qsizetype Close = ALine.indexOf(QLatin1Char('"'), Open + 1);
  if (Close < 0)
    return {};
  QString Value = ALine.mid(Open + 1, Close - Open - 1);
  Value.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
  return Value;
}

QStringList TSteamLibraryFolders::ParsePaths(const QString& AText) {
  QStringList Result;
  // Split on LF; a CR left at the end of a line never sits inside a value.
  const QStringList Lines = AText.split(QLatin1Char('\n'));
  for (const QString& Line : Lines) {
    const QString Path = PathOfLine(Line);
    if (!Path.isEmpty())
      Result.append(Path);
  }
  return Result;
}

QStringList TSteamLibraryFolders::ReadFile(const QString& AFileName) {
  QFile File(AFileName);
  if (!File.open(QIODevice::ReadOnly))
    return {};
  return ParsePaths(QString::fromUtf8(File.readAll()));
}

} // namespace tilvane
