#include "core/server/GridPageReader.h"

#include "core/server/ModListCheck.h"
#include "core/server/PageScanner.h"

#include <algorithm>
#include <array>
#include <tuple>

#include <vector>

namespace tilvane {

namespace {

using servermodpage::FindCharInPage;
using servermodpage::FindInPage;

// White space between attributes and classes: the blank, tab, line ends and
// the other control characters, which have no business there otherwise.
bool IsSpace(QChar AC) {
  return AC.unicode() <= u' ';
}

// Whether a tag or attribute name ends before C: white space, '=', '>', '/'.
bool EndsName(QChar AC) {
  const char16_t U = AC.unicode();
  return U <= u' ' || (U <= u'>' && (U == u'=' || U == u'>' || U == u'/'));
}

// Equal ignoring the letter case of ASCII letters; AName is lower case.
// Tags and attributes are compared this way many times a row: Qt's
// case-blind comparison folds all of Unicode and costs a call each time.
bool SameName(QStringView AText, QStringView AName) {
  if (AText.size() != AName.size())
    return false;
  for (qsizetype I = 0; I < AText.size(); ++I) {
    char16_t C = AText[I].unicode();
    if (C >= u'A' && C <= u'Z')
      C += u'a' - u'A';
    if (C != AName[I].unicode())
      return false;
  }
  return true;
}

// The classes of a div that tell the reader what it is.
enum TClass : unsigned { ContainerRow = 1, GridRow = 2, Col = 4 };

unsigned ClassesOf(QStringView AClasses) {
  unsigned Classes = 0;
  const char16_t* At = AClasses.utf16();
  const char16_t* const End = At + AClasses.size();
  while (At < End) {
    while (At < End && *At <= u' ')
      ++At;
    const char16_t* const Start = At;
    while (At<End&& * At> u' ')
      ++At;
    // Told apart by length first: most classes of a page are none of these.
    const auto Is = [Start](const char16_t* AClass, qsizetype ALength) {
      for (qsizetype I = 0; I < ALength; ++I) {
        if (Start[I] != AClass[I])
          return false;
      }
      return true;
    };
    const qsizetype Length = At - Start;
    if (Length == 3 && Is(u"col", 3))
      Classes |= Col;
    else if (Length == 13 && Is(u"container-row", 13))
      Classes |= ContainerRow;
    else if (Length == 8 && Is(u"grid-row", 8))
      Classes |= GridRow;
  }
  return Classes;
}

// One tag of the page: what the reader needs of it.
struct TTag {
  enum class TKind { OpenDiv, CloseDiv, Anchor, Other };
  TKind Kind = TKind::Other;
  unsigned Classes = 0;
  QStringView Title;
  bool HasTitle = false;
  QStringView Href;  // of an anchor
  qsizetype End = 0; // just after the tag
};

// The value of the attribute that starts at AAt, quoted or not; AAt moves past it.
QStringView AttributeValue(QStringView APage, qsizetype& AAt) {
  const qsizetype N = APage.size();
  if (AAt < N && (APage[AAt] == u'"' || APage[AAt] == u'\'')) {
    const qsizetype Close = FindCharInPage(APage, APage[AAt].unicode(), AAt + 1);
    const qsizetype End = Close < 0 ? N : Close;
    const QStringView Value = APage.sliced(AAt + 1, End - AAt - 1);
    AAt = Close < 0 ? N : Close + 1;
    return Value;
  }
  const qsizetype Start = AAt;
  while (AAt < N && !IsSpace(APage[AAt]) && APage[AAt] != u'>')
    ++AAt;
  return APage.sliced(Start, AAt - Start);
}

// The attributes of a div or anchor tag from AAt to its end.
void ReadAttributes(QStringView APage, qsizetype AAt, TTag& ATag) {
  const qsizetype N = APage.size();
  while (AAt < N) {
    while (AAt < N && IsSpace(APage[AAt]))
      ++AAt;
    if (AAt >= N || APage[AAt] == u'>')
      break;
    if (APage[AAt] == u'/') {
      ++AAt;
      continue;
    }
    const qsizetype NameStart = AAt;
    while (AAt < N && !EndsName(APage[AAt]))
      ++AAt;
    const QStringView Name = APage.sliced(NameStart, AAt - NameStart);
    while (AAt < N && IsSpace(APage[AAt]))
      ++AAt;
    if (AAt >= N || APage[AAt] != u'=')
      continue;
    ++AAt;
    while (AAt < N && IsSpace(APage[AAt]))
      ++AAt;
    const QStringView Value = AttributeValue(APage, AAt);
    if (SameName(Name, u"class")) {
      ATag.Classes = ClassesOf(Value);
    } else if (SameName(Name, u"title")) {
      ATag.Title = Value;
      ATag.HasTitle = true;
    } else if (SameName(Name, u"href")) {
      ATag.Href = Value;
    }
  }
  ATag.End = AAt < N ? AAt + 1 : N;
}

// The tag that starts at APos (a '<'). Only the attributes of divs and
// anchors are read.
TTag ReadTag(QStringView APage, qsizetype APos) {
  TTag Tag;
  const qsizetype N = APage.size();
  qsizetype At = APos + 1;
  const bool Closing = At < N && APage[At] == u'/';
  if (Closing)
    ++At;
  const qsizetype NameStart = At;
  while (At < N && !EndsName(APage[At]))
    ++At;
  const QStringView Name = APage.sliced(NameStart, At - NameStart);
  if (SameName(Name, u"div"))
    Tag.Kind = Closing ? TTag::TKind::CloseDiv : TTag::TKind::OpenDiv;
  else if (!Closing && SameName(Name, u"a"))
    Tag.Kind = TTag::TKind::Anchor;
  if (Tag.Kind == TTag::TKind::OpenDiv || Tag.Kind == TTag::TKind::Anchor) {
    ReadAttributes(APage, At, Tag);
    return Tag;
  }
  const qsizetype Gt = FindCharInPage(APage, u'>', At);
  Tag.End = Gt < 0 ? N : Gt + 1;
  return Tag;
}

// A cell of a row: its title, and where its label and value columns begin.
struct TCell {
  QStringView Title;
  bool HasTitle = false;
  int Columns = 0;
  qsizetype LabelStart = -1;
  qsizetype ValueStart = -1;
};

struct TRow {
  qsizetype Start = 0;
  QStringView Link;              // the row's first link to an archive
  std::vector<TCell> Cells;      // the row's own cells
  std::vector<TCell> InnerCells; // the cells inside those
};

// The text of a column from AStart to the first "</div>", tags removed; the
// markup from the column's own '>' through that "</div>" in AMarkup.
QString ColumnText(QStringView APage, qsizetype AStart, QStringView* AMarkup = nullptr) {
  if (AStart < 0)
    return {};
  const qsizetype End = FindInPage(APage, u"</div>", AStart);
  if (End < 0)
    return {};
  if (AMarkup)
    *AMarkup = APage.sliced(AStart - 1, End + 6 - (AStart - 1));
  return servermodpage::ParseTextLine(APage.sliced(AStart, End - AStart));
}

// The label a cell's first column shows, when it is the text of one tag
// ("<b>Version</b>"); empty otherwise. Read in place: every cell of every
// row has one.
QStringView LabelOf(QStringView APage, qsizetype AStart) {
  if (AStart < 0)
    return {};
  const qsizetype Open = FindCharInPage(APage, u'<', AStart);
  const qsizetype OpenEnd = Open < 0 ? -1 : FindCharInPage(APage, u'>', Open);
  const qsizetype Close = OpenEnd < 0 ? -1 : FindCharInPage(APage, u'<', OpenEnd);
  if (Close < 0 || APage[Open + 1] == u'/')
    return {};
  return APage.sliced(OpenEnd + 1, Close - OpenEnd - 1).trimmed();
}

// Which field each cell holds. A cell whose label names a field holds that
// field; the others take the fields left between them, in the order of
// ANames. So a page in another language is read by order, and a row that
// lacks a cell leaves only that cell's field empty.
// Up to 32 cells of a row, kept without a heap allocation per row: a row
// with more is no row of a mod list anyway.
class TCellPicks {
public:
  void Add(const TCell* ACell) {
    if (FCount < FCells.size())
      FCells[FCount++] = ACell;
  }
  size_t Count() const { return FCount; }
  const TCell* operator[](size_t AIndex) const { return FCells[AIndex]; }

private:
  std::array<const TCell*, 32> FCells{};
  size_t FCount = 0;
};

template <size_t N>
std::array<const TCell*, N> Assign(QStringView APage, const TCellPicks& ACells,
                                   const std::array<QStringView, N>& ANames) {
  std::array<int, 32> Field;
  for (size_t I = 0; I < ACells.Count(); ++I) {
    Field[I] = -1;
    const QStringView Label = LabelOf(APage, ACells[I]->LabelStart);
    for (size_t K = 0; K < N; ++K) {
      if (SameName(Label, ANames[K]))
        Field[I] = static_cast<int>(K);
    }
  }
  std::array<const TCell*, N> Result{};
  int Next = 0; // the first field no cell took yet
  for (size_t I = 0; I < ACells.Count() && Next < static_cast<int>(N); ++I) {
    if (Field[I] >= Next) {
      Result[static_cast<size_t>(Field[I])] = ACells[I];
      Next = Field[I] + 1;
      continue;
    }
    if (Field[I] >= 0)
      continue; // a field taken already
    // An unlabelled cell takes the next field, unless a later cell claims
    // that field by its label.
    int Later = -1;
    for (size_t J = I + 1; J < ACells.Count() && Later < 0; ++J)
      Later = Field[J] >= Next ? Field[J] : -1;
    if (Later != Next)
      Result[static_cast<size_t>(Next++)] = ACells[I];
  }
  return Result;
}

class TGridReader {
public:
  TGridReader(QStringView APage, bool AWithModHub, QChar ADecimalSeparator)
      : FPage(APage), FWithModHub(AWithModHub), FDecimalSeparator(ADecimalSeparator) {}

  TArrayOfServerMods Read() {
    for (qsizetype At = FindCharInPage(FPage, u'<', 0); At >= 0;
         At = FindCharInPage(FPage, u'<', At)) {
      if (At + 1 < FPage.size() && FPage[At + 1] == u'!' && FPage.sliced(At).startsWith(u"<!--")) {
        const qsizetype End = FindInPage(FPage, u"-->", At + 4);
        At = End < 0 ? FPage.size() : End + 3;
        continue;
      }
      const TTag Tag = ReadTag(FPage, At);
      if (Tag.Kind == TTag::TKind::OpenDiv)
        Open(Tag, At);
      else if (Tag.Kind == TTag::TKind::CloseDiv)
        Close();
      else if (Tag.Kind == TTag::TKind::Anchor && FRowOpen && FRow.Link.isNull() &&
               IsArchiveLink(Tag.Href))
        FRow.Link = Tag.Href;
      At = Tag.End;
    }
    if (FRowOpen)
      Finish();
    return std::move(FResult);
  }

private:
  enum class TRole { Row, RowCell, InnerCell, Column, Other };
  struct TOpen {
    TRole Role;
    size_t Cell; // index into the row's Cells or InnerCells
  };

  TCell* CellOf(const TOpen& AOpen) {
    if (AOpen.Role == TRole::RowCell)
      return &FRow.Cells[AOpen.Cell];
    if (AOpen.Role == TRole::InnerCell)
      return &FRow.InnerCells[AOpen.Cell];
    return nullptr;
  }

  void Open(const TTag& ATag, qsizetype AAt) {
    const bool IsContainerRow = ATag.Classes & TClass::ContainerRow;
    const bool IsCol = ATag.Classes & TClass::Col;
    if (IsContainerRow && (ATag.Classes & TClass::GridRow)) {
      // A row that never closed ends where the next begins.
      if (FRowOpen)
        Finish();
      // Emptied, not replaced: the cells' memory serves the next row.
      FRow.Start = AAt;
      FRow.Link = {};
      FRow.Cells.clear();
      FRow.InnerCells.clear();
      FRowOpen = true;
      FStack.push_back({TRole::Row, 0});
      return;
    }
    const TRole Parent = FStack.empty() ? TRole::Other : FStack.back().Role;
    TRole Role = TRole::Other;
    size_t Index = 0;
    if (FRowOpen && IsContainerRow && IsCol && (Parent == TRole::Row || Parent == TRole::RowCell)) {
      std::vector<TCell>& Cells = Parent == TRole::Row ? FRow.Cells : FRow.InnerCells;
      Cells.push_back({ATag.Title, ATag.HasTitle});
      Role = Parent == TRole::Row ? TRole::RowCell : TRole::InnerCell;
      Index = Cells.size() - 1;
    } else if (FRowOpen && !IsContainerRow && IsCol) {
      if (TCell* Cell = FStack.empty() ? nullptr : CellOf(FStack.back())) {
        Role = TRole::Column;
        ++Cell->Columns;
        if (Cell->Columns == 1)
          Cell->LabelStart = ATag.End;
        else if (Cell->Columns == 2)
          Cell->ValueStart = ATag.End;
      }
    }
    FStack.push_back({Role, Index});
  }

  void Close() {
    if (FStack.empty())
      return;
    const TRole Role = FStack.back().Role;
    FStack.pop_back();
    if (Role == TRole::Row && FRowOpen)
      Finish();
  }

  void Finish();

  QStringView FPage;
  bool FWithModHub;
  QChar FDecimalSeparator;
  std::vector<TOpen> FStack;
  TRow FRow;
  bool FRowOpen = false;
  TArrayOfServerMods FResult;
};

void TGridReader::Finish() {
  FRowOpen = false;
  // The row's entries stay on the stack of a row cut short; they name no
  // row any more.
  for (TOpen& Open : FStack) {
    if (Open.Role != TRole::Other && Open.Role != TRole::Column)
      Open.Role = TRole::Other;
  }
  if (FRow.Link.isEmpty())
    return;
  TServerMod Mod;
  Mod.DownloadURL = FRow.Link.toString();

  TCellPicks Titled;
  for (const TCell& Cell : FRow.Cells) {
    if (Cell.HasTitle)
      Titled.Add(&Cell);
  }
  static constexpr std::array<QStringView, 5> TitleNames = {u"Name", u"Version", u"Author",
                                                            u"Filename", u"Size"};
  const auto Titles = Assign(FPage, Titled, TitleNames);
  QString* const Fields[] = {&Mod.Name, &Mod.Version, &Mod.Author, &Mod.FileName};
  for (size_t I = 0; I < 4; ++I) {
    if (Titles[I])
      *Fields[I] = Titles[I]->Title.toString();
  }
  if (Titles[4])
    Mod.SizeMB = servermodpage::ParseSizeMB(Titles[4]->Title, FDecimalSeparator);

  TCellPicks Inner;
  for (const TCell& Cell : FRow.InnerCells)
    Inner.Add(&Cell);
  const TCell* Issues = nullptr;
  const TCell* ModHub = nullptr;
  const TCell* Active = nullptr;
  if (FWithModHub) {
    static constexpr std::array<QStringView, 3> Names = {u"issues", u"modhub", u"active"};
    std::tie(Issues, ModHub, Active) = std::tuple_cat(Assign(FPage, Inner, Names));
  } else {
    static constexpr std::array<QStringView, 2> Names = {u"issues", u"active"};
    std::tie(Issues, Active) = std::tuple_cat(Assign(FPage, Inner, Names));
  }
  if (Issues) {
    QStringView Markup;
    const QString Text = ColumnText(FPage, Issues->ValueStart, &Markup);
    // The grammar's rule: a cell that holds only the entity is empty.
    if (!Markup.contains(u">&nbsp<"))
      Mod.NumOfIssues = Text;
  }
  if (ModHub)
    Mod.ModHub = ColumnText(FPage, ModHub->ValueStart);
  if (Active)
    Mod.Active = ColumnText(FPage, Active->ValueStart);
  FResult.append(servermodpage::DecodedTexts(std::move(Mod)));
}

} // namespace

TArrayOfServerMods ReadGridModPage(QStringView APage, bool AWithModHub, QChar ADecimalSeparator) {
  return TGridReader(APage, AWithModHub, ADecimalSeparator).Read();
}

} // namespace tilvane
