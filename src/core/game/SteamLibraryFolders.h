#pragma once

#include <QString>
#include <QStringList>

namespace tilvane {

// Reads the library folders out of Steam's `config/libraryfolders.vdf`. The
// reading is deliberately line based rather than a full key-value parser: only
// lines holding a quoted "path" key count, which covers both the current
// nested layout and Steam's older files. Windows writes its paths with doubled
// backslashes, Linux writes plain paths; both come out as plain paths.
class TSteamLibraryFolders {
public:
  // The library folders in the order of the file. A line whose value is not
  // closed by a quotation mark, or is empty, gives nothing.
  static QStringList ParsePaths(const QString& AText);
  // The value of one line, or an empty string when the line holds no usable
  // "path" value.
  static QString PathOfLine(const QString& ALine);
  // ParsePaths on a file; a missing or unreadable file gives no folders.
  static QStringList ReadFile(const QString& AFileName);
};

} // namespace tilvane
