#include "core/common/Paths.h"

#include "platform/Platform.h"

namespace tilvane {

QChar PathDelim() {
  return QChar::fromLatin1(platform::PathDelimiter);
}

QString JoinPath(const QString& first, const QString& second) {
  if (first.isEmpty())
    return second;
  if (second.isEmpty())
    return first;
  if (first.endsWith(PathDelim()))
    return first + second;
  return first + PathDelim() + second;
}

QString NativeRelative(const QString& windowsStyleRelative) {
  QString result = windowsStyleRelative;
  result.replace(QLatin1Char('\\'), PathDelim());
  return result;
}

} // namespace tilvane
