#pragma once

#include "core/server/ModListCheck.h"
#include "core/server/ParseServerModList.h"

#include <QChar>
#include <QString>
#include <QStringView>

namespace tilvane {

// Who read the rows of a mod page.
enum class TModPageReader {
  Grammar,    // the row grammar of the server's version
  GridReader, // the structural reader of grid pages (ReadGridModPage)
};

// A mod page read for a sync: the rows to act on and the check they passed
// or failed.
struct TModPageReading {
  // False when the page carries no version marker; nothing was read then.
  bool Successful = false;
  TServerPageLayout Layout = TServerPageLayout::Table;
  TModPageReader Reader = TModPageReader::Grammar;
  TArrayOfServerMods Mods;    // the rows Reader gave, page order
  TModListCheck Check;        // of Mods
  TModListCheck GrammarCheck; // of the grammar's rows
  bool GridReaderTried = false;
  TModListCheck GridCheck; // of the grid reader's rows, when it was tried
};

// Reads the page with the row grammar of its version. Where the grammar's
// rows fail the list check on a grid page (the view of a logged-in
// administrator, for one), the grid reader reads it again, and its rows are
// taken when they pass the same check. Without a pass, Mods are those of the
// reader that recognised more rows. Shows nothing; any thread.
TModPageReading ReadModPage(QStringView APage, QChar ADecimalSeparator = SystemDecimalSeparator());

// One line on how the page was read, for the page diagnostics: which reader
// read it, or how far each got.
QString ModPageReadingSummary(const TModPageReading& AReading);

} // namespace tilvane
