#pragma once

#include <QString>

#include <string>

namespace tilvane {

// The separator between folder names on this operating system.
QChar PathDelim();

// Joins two path pieces the way every path of the program is built: a
// separator goes between two non-empty pieces unless the first already ends
// in one; an empty first piece gives the second unchanged.
QString JoinPath(const QString& first, const QString& second);

// A relative name written with '\' (as in "My Games\Tilvane") with the
// separators of this operating system.
QString NativeRelative(const QString& windowsStyleRelative);

// Conversions at the boundary to the platform layer, which speaks UTF-8.
inline QString FromPlatform(const std::string& utf8) {
  return QString::fromStdString(utf8);
}
inline std::string ToPlatform(const QString& text) {
  return text.toStdString();
}

} // namespace tilvane
