#pragma once

#include "core/server/ServerVersionMarkers.h"

#include <QString>
#include <QStringView>

#include <vector>

namespace tilvane {

// One mod row of a server's mod page as the page lays it out, read from the
// row's own markup only. The row grammars read by fixed offsets and run on
// into the next row when their own falls short; this reading never leaves
// the row, so the two can be held against each other.
struct TModPageRow {
  // The titles of the row's second, third and fourth cells; empty when the
  // row has none. Version and author are decoded as the readers decode them.
  QString Version;
  QString Author;
  QString FileName;
  // The first link of the row to an archive (a path ending in ".zip" or
  // ".dlc"), as written in the page; empty when the row links none.
  QString Link;
  // Whether the row links an archive that is not FileName.
  bool LinksAnotherArchive = false;
  // Whether the row's detail links name more than one mod: a row put
  // together from the pieces of two.
  bool MixedDetailLinks = false;
  // Whether one of those three cells lacks its title, or shows a text that
  // is not its title: the server writes each value twice, and a damaged row
  // no longer agrees with itself.
  bool Damaged = false;
};

// The mod rows of a page in page order. A row is the markup from one row
// start of the layout (`<tr` for tables, the grid-row marker for grids) to the
// next; it counts as a mod row when it links a mod's detail page or an
// archive, so the header and the totals row do not count. Pure; linear in the
// page's size.
std::vector<TModPageRow> ModPageRows(QStringView APage, TServerPageLayout ALayout);

} // namespace tilvane
