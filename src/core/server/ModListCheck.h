#pragma once

#include "core/server/ModPageRows.h"
#include "core/server/ParseServerModList.h"
#include "core/server/ServerVersionMarkers.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

namespace tilvane {

// Equal when equal after folding the ASCII letters only (how the game's
// folder, authors and versions are compared).
bool SameTextAscii(QStringView A_, QStringView AB);
bool EndsWithAscii(QStringView AText, QStringView ASuffix);
// AText with its ASCII letters in lower case: a key under which names that
// SameTextAscii holds equal meet.
QString FoldedAscii(QStringView AText);

// A name the server may make the program write, read or delete: one plain
// file name, never a path (no '/', '\', ':', not empty, not "." or "..").
bool IsPlainFileName(const QString& AFileName);
// DLC rows have no archive to download.
bool IsDlcFileName(const QString& AFileName);
// A mod archive: the only kind of file a sync writes or removes.
bool IsZipFileName(const QString& AFileName);

// Whether a link fetches an archive: its path (before any query or fragment)
// ends in ".zip" or ".dlc", any letter case.
bool IsArchiveLink(QStringView ALink);
// Calls AVisit for every href of AText that IsArchiveLink, in page order,
// with the href's value as written.
void ForEachArchiveLink(QStringView AText, const std::function<void(QStringView AHref)>& AVisit);
// The archive a link fetches: the last segment of its path, percent-decoded.
QString ArchiveOfLink(QStringView ALink);

// The ".zip" archives a page links for download (ForEachArchiveLink), without
// duplicates in any letter case, in page order.
QStringList LinkedArchives(QStringView APage);

// Whether a parsed mod list says what the page says. The grammars read the
// page by fixed offsets; a page laid out differently, cut short or tampered
// with can come back with rows missing or put together from two, and acting
// on such a list removes or replaces the player's archives. The list passes
// only when every mod row of the page (DLC rows aside) is a parsed row with
// the row's own file name, link, author and version, in page order, that
// link names that very ".zip" file in the folder all the page's archives
// come from, no row mixes the detail links of two mods or lost part of its
// markup, and every archive the page links is a parsed row's.
struct TModListCheck {
  int PageRows = 0;       // mod rows of the page (DLC rows aside), or its linked archives if more
  int RecognisedRows = 0; // of those, the rows the parsed list holds soundly
  bool Passed = false;
};

// What the page itself says, apart from any reading of it: its mod rows
// (DLC rows aside) and the archives it links. Taken once, it serves the
// checks of every reading of the same page.
struct TModPageCensus {
  std::vector<TModPageRow> Rows;
  QStringList Linked;
};
TModPageCensus TakeModPageCensus(QStringView APage, TServerPageLayout ALayout);

TModListCheck CheckModList(const TModPageCensus& ACensus, const TArrayOfServerMods& AMods);
TModListCheck CheckModList(QStringView APage, const TArrayOfServerMods& AMods,
                           TServerPageLayout ALayout);

// "The mod list of the server could not be read completely (...)".
QString ModListIncompleteMessage(const TModListCheck& ACheck);

} // namespace tilvane
