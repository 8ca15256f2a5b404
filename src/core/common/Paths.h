#pragma once

#include <QString>

#include <string>

namespace tilvane {

// The separator between folder names on this operating system.
QChar PathDelim();

// Joins two path pieces the way every path of the program is built: a
// separator goes between two non-empty pieces unless the first already ends
// in one; an empty first piece gives the second unchanged.
QString JoinPath(const QString& AFirst, const QString& ASecond);

// A relative name written with '\' (as in "My Games\Tilvane") with the
// separators of this operating system.
QString NativeRelative(const QString& AWindowsStyleRelative);

// Conversions at the boundary to the platform layer, which speaks UTF-8.
inline QString FromPlatform(const std::string& AUtf8) {
  return QString::fromStdString(AUtf8);
}
inline std::string ToPlatform(const QString& AText) {
  return AText.toStdString();
}

} // namespace tilvane
