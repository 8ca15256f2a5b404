#include "core/common/Paths.h"

#include "platform/Platform.h"

namespace tilvane {

QChar PathDelim() {
  return QChar::fromLatin1(platform::PathDelimiter);
}

QString JoinPath(const QString& AFirst, const QString& ASecond) {
  if (AFirst.isEmpty())
    return ASecond;
  if (ASecond.isEmpty())
    return AFirst;
  if (AFirst.endsWith(PathDelim()))
    return AFirst + ASecond;
  return AFirst + PathDelim() + ASecond;
}

QString NativeRelative(const QString& AWindowsStyleRelative) {
  QString Result = AWindowsStyleRelative;
  Result.replace(QLatin1Char('\\'), PathDelim());
  return Result;
}

} // namespace tilvane
