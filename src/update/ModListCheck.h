#pragma once

#include "server/ParseServerModList.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tilvane {

// Equal when equal after folding the ASCII letters only (how the game's
// folder, authors and versions are compared).
bool SameTextAscii(QStringView A, QStringView B);
bool EndsWithAscii(QStringView AText, QStringView ASuffix);

// A name the server may make the program write, read or delete: one plain
// file name, never a path (no '/', '\', ':', not empty, not "." or "..").
bool IsPlainFileName(const QString& AFileName);
// DLC rows have no archive to download.
bool IsDlcFileName(const QString& AFileName);

// Whether a parsed mod list says what the page says. The grammars read the
// page by fixed offsets; a page laid out differently can come back short, and
// deleting by a short list destroys the player's archives.
struct TModListCheck {
  int SoundRows = 0;      // rows whose download link names their own file
  int CheckedRows = 0;    // rows the check looked at (not DLC, plain name)
  int LinkedArchives = 0; // distinct archives the page links for download
  bool Complete = false;  // every row sound and every linked archive a row's

  bool Passed() const { return Complete && SoundRows == CheckedRows; }
};

// The last path segment, percent-decoded, of every href whose path ends in
// ".zip" (any letter case), without duplicates, in page order.
QStringList LinkedArchives(QStringView APage);

TModListCheck CheckModList(QStringView APage, const TArrayOfServerMods& AMods);

// "The mod list of the server could not be read completely (...)".
QString ModListIncompleteMessage(const TModListCheck& ACheck);

} // namespace tilvane
