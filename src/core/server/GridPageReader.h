#pragma once

#include "core/server/ParseServerModList.h"

#include <QChar>
#include <QStringView>

namespace tilvane {

// Reads the mod rows of a grid page (servers 9.1, 9.2 and 10.0) by what its
// cells are rather than where they sit, for the pages the row grammar cannot
// read: the view a logged-in administrator gets holds a download block for
// small screens and delete buttons in every row, and its cells lie
// differently.
//
// A row is a `container-row grid-row` element, read up to its own end (or to
// the next row where the markup never closes it). In it:
// - Name, Version, Author, Filename and Size are the title attributes of the
//   row's own cells, by their labels where the page writes them, else in
//   this order;
// - Issues, ModHub (AWithModHub) and Active are the value columns of the
//   cells inside the row's wrapper cell, by label or in this order;
// - the download link is the row's first link to an archive.
// Attribute order, white space, further classes, images and buttons do not
// matter. A row without a download link (the header, the totals, a DLC) gives
// no record, as with the grammar, and every field comes out exactly as the
// grammar gives it for the same mod on the public page: no entity decoding,
// the same size rounding. Pure; linear in the page's size.
TArrayOfServerMods ReadGridModPage(QStringView APage, bool AWithModHub,
                                   QChar ADecimalSeparator = SystemDecimalSeparator());

} // namespace tilvane
