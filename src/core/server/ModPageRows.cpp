#include "core/server/ModPageRows.h"

#include "core/server/ModListCheck.h"
#include "core/server/PageScanner.h"

#include <algorithm>

namespace tilvane {

namespace {

using servermodpage::FindInPage;

constexpr QStringView TableRowTag = u"<tr";
constexpr QStringView TableCellTag = u"<td";
constexpr QStringView TableCellEnd = u"</td>";
constexpr QStringView DetailLink = u"mod_index=";
constexpr int VersionCell = 2;
constexpr int AuthorCell = 3;
constexpr int FileNameCell = 4;

bool IsTagEnd(QChar AC) {
  return AC == u'>' || AC == u' ' || AC == u'\t' || AC == u'\r' || AC == u'\n';
}

std::vector<qsizetype> RowStarts(QStringView APage, TServerPageLayout ALayout) {
  std::vector<qsizetype> Starts;
  if (ALayout != TServerPageLayout::Table) {
    for (qsizetype At = FindInPage(APage, GridRowMarker, 0); At >= 0;
         At = FindInPage(APage, GridRowMarker, At + GridRowMarker.size()))
      Starts.push_back(At);
    return Starts;
  }
  // "<tr" followed by the end of the tag name: not "<track" or "<tref".
  for (qsizetype At = FindInPage(APage, TableRowTag, 0); At >= 0;
       At = FindInPage(APage, TableRowTag, At + TableRowTag.size())) {
    const qsizetype After = At + TableRowTag.size();
    if (After < APage.size() && IsTagEnd(APage[After]))
      Starts.push_back(At);
  }
  return Starts;
}

// The start of the row's ANumber-th cell (1-based); -1 when it has fewer.
qsizetype CellStart(QStringView ARow, QStringView ACellTag, int ANumber) {
  qsizetype At = -1;
  for (int I = 0; I < ANumber; ++I) {
    At = FindInPage(ARow, ACellTag, At + 1);
    if (At < 0)
      return -1;
  }
  return At;
}

// The markup a cell shows its value in: a table cell's content up to its
// "</td>", a grid cell's value column (the column after the label) up to
// its first "</div>". Empty when the cell has none.
QStringView ShownMarkup(QStringView ARow, qsizetype ATagEnd, TServerPageLayout ALayout) {
  qsizetype Start = ATagEnd + 1;
  QStringView End = TableCellEnd;
  if (ALayout != TServerPageLayout::Table) {
    constexpr QStringView Column = u"<div class=\"col";
    const qsizetype Label = FindInPage(ARow, Column, Start);
    const qsizetype Value = Label < 0 ? -1 : FindInPage(ARow, Column, Label + Column.size());
    Start = Value < 0 ? -1 : ARow.indexOf(u'>', Value) + 1;
    End = u"</div>";
  }
  if (Start <= 0)
    return {};
  const qsizetype Stop = FindInPage(ARow, End, Start);
  return Stop < 0 ? QStringView() : ARow.sliced(Start, Stop - Start);
}

// Whether a title and the text shown for it say the same. Long texts are
// shown cut short with "...".
bool Agrees(QStringView ATitle, QStringView AShown) {
  const QStringView Title = ATitle.trimmed();
  if (AShown == Title)
    return true;
  return AShown.endsWith(u"...") && Title.startsWith(AShown.chopped(3));
}

// The title of the row's ANumber-th cell (1-based), read the way the row
// grammars read a title cell but never past the row's end. AIntact tells
// whether the title sits in the cell's own tag and agrees with what the cell
// shows, and, for a cell that links nothing on a server's page (ALinkless),
// that it holds no link: a row whose name cell moved into its place does.
QString CellTitle(QStringView ARow, TServerPageLayout ALayout, int ANumber, bool ALinkless,
                  bool& AIntact) {
  AIntact = false;
  const bool Table = ALayout == TServerPageLayout::Table;
  const qsizetype At = CellStart(ARow, Table ? TableCellTag : GridCellTag, ANumber);
  if (At < 0)
    return {};
  // A table cell reaches to its "</td>"; a grid cell's title ends its tag.
  const QStringView CellEnd = Table ? TableCellEnd : QStringView(u"\">");
  const qsizetype End = FindInPage(ARow, CellEnd, At);
  const QStringView Cell = End < 0 ? (Table ? ARow.sliced(At) : QStringView())
                                   : ARow.sliced(At, End + CellEnd.size() - At);
  const QString Title = servermodpage::ParseTitleLine(Cell);
  // The title is the last attribute of the cell's own tag: the value runs
  // from its opening quote to the quote that ends the tag.
  constexpr QStringView TitleAttribute = u"title=\"";
  const qsizetype TagEnd = ARow.indexOf(u'>', At);
  const qsizetype TitleAt = FindInPage(ARow, TitleAttribute, At);
  const qsizetype ValueAt = TitleAt + TitleAttribute.size();
  const QStringView Shown = ShownMarkup(ARow, TagEnd, ALayout);
  AIntact = TitleAt >= 0 && TagEnd > ValueAt && ARow[TagEnd - 1] == u'"' &&
            ARow.sliced(ValueAt, TagEnd - 1 - ValueAt) == Title &&
            Agrees(Title, servermodpage::ParseTextLine(Shown).trimmed()) &&
            !(ALinkless && Shown.contains(u"href=", Qt::CaseInsensitive));
  return Title;
}

// The mod numbers of the detail links in the row; true when they differ.
bool HasMixedDetailLinks(QStringView ARow) {
  bool Seen = false;
  QStringView First;
  for (qsizetype At = FindInPage(ARow, DetailLink, 0); At >= 0;
       At = FindInPage(ARow, DetailLink, At + DetailLink.size())) {
    const qsizetype Start = At + DetailLink.size();
    qsizetype End = Start;
    while (End < ARow.size() && ARow[End] >= u'0' && ARow[End] <= u'9')
      ++End;
    const QStringView Number = ARow.sliced(Start, End - Start);
    if (!Seen) {
      Seen = true;
      First = Number;
    } else if (Number != First) {
      return true;
    }
  }
  return false;
}

// Whether every tag in AText ends before the next one begins (AText may end
// inside its last tag). A piece of markup dropped into the middle of a tag
// leaves that tag open.
bool TagsClose(QStringView AText) {
  bool InTag = false;
  for (const QChar C : AText) {
    if (C == u'<') {
      if (InTag)
        return false;
      InTag = true;
    } else if (C == u'>') {
      InTag = false;
    }
  }
  return true;
}

TModPageRow ReadRow(QStringView ARow, TServerPageLayout ALayout, bool& AIsModRow) {
  TModPageRow Row;
  bool Intact[3] = {};
  Row.Version = CellTitle(ARow, ALayout, VersionCell, true, Intact[0]);
  Row.Author = CellTitle(ARow, ALayout, AuthorCell, true, Intact[1]);
  Row.FileName = CellTitle(ARow, ALayout, FileNameCell, false, Intact[2]);
  Row.MixedDetailLinks = HasMixedDetailLinks(ARow);
  AIsModRow = FindInPage(ARow, DetailLink, 0) >= 0;
  // The markup read: the cells above through the start of the next one, and
  // on to the end of the download link.
  qsizetype Read = CellStart(ARow, ALayout == TServerPageLayout::Table ? TableCellTag : GridCellTag,
                             FileNameCell + 1);
  if (Read < 0)
    Read = ARow.size();
  ForEachArchiveLink(ARow, [&](QStringView AHref) {
    AIsModRow = true;
    if (Row.Link.isEmpty()) {
      Row.Link = AHref.toString();
      Read = std::max(Read, static_cast<qsizetype>(AHref.data() - ARow.data()) + AHref.size());
    }
    if (!SameTextAscii(ArchiveOfLink(AHref), Row.FileName))
      Row.LinksAnotherArchive = true;
  });
  Row.Damaged = !Intact[0] || !Intact[1] || !Intact[2] || !TagsClose(ARow.first(Read));
  // Held against the readers' rows, which are decoded; the agreement above
  // is of the markup itself.
  Row.Version = servermodpage::PageText(Row.Version);
  Row.Author = servermodpage::PageText(Row.Author);
  return Row;
}

} // namespace

std::vector<TModPageRow> ModPageRows(QStringView APage, TServerPageLayout ALayout) {
  std::vector<TModPageRow> Rows;
  const std::vector<qsizetype> Starts = RowStarts(APage, ALayout);
  for (size_t I = 0; I < Starts.size(); ++I) {
    const qsizetype End = I + 1 < Starts.size() ? Starts[I + 1] : APage.size();
    bool IsModRow = false;
    TModPageRow Row = ReadRow(APage.sliced(Starts[I], End - Starts[I]), ALayout, IsModRow);
    if (IsModRow)
      Rows.push_back(std::move(Row));
  }
  return Rows;
}

} // namespace tilvane
