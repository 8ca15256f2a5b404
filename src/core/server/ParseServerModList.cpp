#include "core/server/ParseServerModList.h"

#include "core/common/PromptService.h"
#include "core/server/PageScanner.h"
#include "core/server/ServerVersionMarkers.h"

namespace tilvane {

using namespace servermodpage;

namespace {

// Cutting after this many characters of the marker leaves its closing '>'.
constexpr qsizetype GridRowCut = 35;
constexpr qsizetype NextRowSearchOffset = 20;
constexpr QStringView ColumnTag = u"<div class=\"col";
constexpr QStringView FirstRowCell = u"<div class=\"container-row col col-lg-2";
constexpr QStringView ModHubRowContinues = u"<div class=\"col col-lg-2 col-xs-3";
constexpr qsizetype ModHubRowContinuesOffset = 10;
constexpr qsizetype NoModHubRowContinuesOffset = 8;

// One page with every search the grammars make, each remembering its last
// answer. Positions are indexes into the whole page: a row is the page from
// its start on, never a copy.
class TPage {
public:
  TPage(QStringView AText, QChar ADecimalSeparator)
      : Text(AText), DecimalSeparator(ADecimalSeparator), FGt(AText, u">"), FQuoteGt(AText, u"\">"),
        FTitle(AText, u"title=\""), FHref(AText, u"href=\""), FQuote(AText, u"\"") {}

  QStringView Text;
  QChar DecimalSeparator;

  qsizetype Size() const { return Text.size(); }
  QStringView Slice(qsizetype AStart, qsizetype AEnd) const {
    return Text.sliced(AStart, AEnd - AStart);
  }

  // Drops everything before the first occurrence; nothing when it is absent.
  qsizetype CutTo(TCachedFinder& AFinder, qsizetype APos) {
    const qsizetype At = AFinder.Find(APos);
    return At < 0 ? APos : At;
  }
  // Drops everything through the first '>' at or after the first occurrence;
  // nothing when it is absent. A tag left open at the end drops the rest.
  qsizetype SkipPast(TCachedFinder& AFinder, qsizetype APos) {
    const qsizetype At = AFinder.Find(APos);
    if (At < 0)
      return APos;
    const qsizetype Gt = FGt.Find(At);
    return Gt < 0 ? Size() : Gt + 1;
  }
  qsizetype FindGt(qsizetype APos) { return FGt.Find(APos); }
  qsizetype FindQuoteGt(qsizetype APos) { return FQuoteGt.Find(APos); }

  // The cell readers, on [AStart, AEnd) of the page.
  QString TitleOf(qsizetype AStart, qsizetype AEnd) {
    return ValueOf(FTitle, 7, FQuoteGt, 2, AStart, AEnd);
  }
  QString LinkOf(qsizetype AStart, qsizetype AEnd) {
    return ValueOf(FHref, 6, FQuote, 1, AStart, AEnd);
  }
  QString TextOf(qsizetype AStart, qsizetype AEnd) const {
    return ParseTextLine(Slice(AStart, AEnd));
  }

  // The text between the first AOpen and the AClose after it, both lying
  // within [AStart, AEnd); empty when either is missing there.
  QString ValueOf(TCachedFinder& AOpen, qsizetype AOpenSize, TCachedFinder& AClose,
                  qsizetype ACloseSize, qsizetype AStart, qsizetype AEnd) {
    const qsizetype At = AOpen.Find(AStart);
    if (At < 0 || At + AOpenSize > AEnd)
      return {};
    const qsizetype ValueStart = At + AOpenSize;
    const qsizetype End = AClose.Find(ValueStart);
    if (End < 0 || End + ACloseSize > AEnd)
      return {};
    return Slice(ValueStart, End).toString();
  }
  qint64 SizeOf(const QString& AText) const { return ParseSizeMB(AText, DecimalSeparator); }

private:
  TCachedFinder FGt;
  TCachedFinder FQuoteGt;
  TCachedFinder FTitle;
  TCachedFinder FHref;
  TCachedFinder FQuote;
};

// ---- Table rows (8.0, 9.0) ------------------------------------------------

class TTableGrammar {
public:
  TTableGrammar(QStringView AText, QChar ADecimalSeparator)
      : FPage(AText, ADecimalSeparator), FTr(AText, u"<tr"), FExactTr(AText, u"<tr>"),
        FEndTr(AText, u"</tr>"), FTd(AText, u"<td"), FEndTd(AText, u"</td>") {}

  TArrayOfServerMods Parse() {
    TArrayOfServerMods Result;
    // The header row comes first; data rows begin at the first plain <tr>.
    const qsizetype HeaderEnd = FEndTr.Find(0);
    if (HeaderEnd < 0)
      return Result;
    qsizetype Pos = FExactTr.Find(HeaderEnd);
    if (Pos < 0)
      return Result;
    while (true) {
      const qsizetype RowEnd = FEndTr.Find(Pos);
      if (RowEnd < 0)
        break;
      ParseRow(Pos, RowEnd + 5, Result);
      Pos = FTr.Find(RowEnd + 5);
      if (Pos < 0)
        break;
    }
    return Result;
  }

private:
  // The next cell of the row from APos: [start, end); APos moves past it.
  std::pair<qsizetype, qsizetype> NextCell(qsizetype& APos, qsizetype ARowEnd) {
    const qsizetype Start = FTd.Find(APos);
    if (Start < 0 || Start >= ARowEnd) {
      APos = ARowEnd;
      return {ARowEnd, ARowEnd};
    }
    const qsizetype End = FEndTd.Find(Start);
    if (End < 0 || End + 5 > ARowEnd) {
      APos = ARowEnd;
      return {Start, ARowEnd};
    }
    APos = End + 5;
    return {Start, End + 5};
  }

  void ParseRow(qsizetype APos, qsizetype ARowEnd, TArrayOfServerMods& AResult) {
    TServerMod Mod;
    QString* const TitleFields[] = {&Mod.Name, &Mod.Version, &Mod.Author, &Mod.FileName};
    for (QString* Field : TitleFields) {
      const auto [Start, End] = NextCell(APos, ARowEnd);
      *Field = FPage.TitleOf(Start, End);
    }
    {
      const auto [Start, End] = NextCell(APos, ARowEnd);
      Mod.SizeMB = FPage.SizeOf(FPage.TextOf(Start, End));
    }
    {
      const auto [Start, End] = NextCell(APos, ARowEnd);
      Mod.NumOfIssues = FPage.TextOf(Start, End);
    }
    {
      const auto [Start, End] = NextCell(APos, ARowEnd);
      Mod.Active = FPage.TextOf(Start, End);
    }
    {
      const auto [Start, End] = NextCell(APos, ARowEnd);
      Mod.DownloadURL = FPage.LinkOf(Start, End);
    }
    // A row without a download link (the totals row, for one) is no mod.
    if (!Mod.DownloadURL.isEmpty())
      AResult.append(DecodedTexts(std::move(Mod)));
  }

  TPage FPage;
  TCachedFinder FTr;
  TCachedFinder FExactTr;
  TCachedFinder FEndTr;
  TCachedFinder FTd;
  TCachedFinder FEndTd;
};

// ---- Grid rows (9.1 without, 9.2 and 10.0 with a ModHub column) -----------

class TGridGrammar {
public:
  TGridGrammar(QStringView AText, QChar ADecimalSeparator, bool AWithModHub)
      : FWithModHub(AWithModHub), FPage(AText, ADecimalSeparator), FGridRow(AText, GridRowMarker),
        FRowCell(AText, GridCellTag), FColumn(AText, ColumnTag),
        FRowContinues(AText, AWithModHub ? ModHubRowContinues : ColumnTag),
        FEndDiv(AText, u"</div>"), FNbsp(AText, u">&nbsp<"), FQuoteImg(AText, u"\"><img") {}

  TArrayOfServerMods Parse() {
    TArrayOfServerMods Result;
    const qsizetype First = FGridRow.Find(0);
    if (First < 0)
      return Result;
    qsizetype Rest = First + GridRowCut;
    if (FWithModHub && FPage.Text.indexOf(FirstRowCell, Rest, Qt::CaseSensitive) < 0)
      return Result;
    const qsizetype MinOffset = FWithModHub ? ModHubRowContinuesOffset : NoModHubRowContinuesOffset;
    while (true) {
      // A row reads on into the following rows' text when its own runs short.
      ParseRow(Rest, Result);
      const qsizetype Next = FGridRow.Find(Rest + NextRowSearchOffset);
      if (Next < 0)
        break;
      Rest = Next + GridRowCut;
      const qsizetype Continues = FRowContinues.Find(Rest);
      if (Continues < 0 || Continues - Rest < MinOffset)
        break;
    }
    return Result;
  }

private:
  // The text of a cell from APos through the first </div> after it; empty
  // when no </div> follows.
  QString TextBeforeEndDiv(qsizetype APos) {
    const qsizetype End = FEndDiv.Find(APos);
    return End < 0 ? QString() : FPage.TextOf(APos, End);
  }

  void ParseRow(qsizetype APos, TArrayOfServerMods& AResult) {
    TServerMod Mod;
    QString Size;
    QString* const TitleFields[] = {&Mod.Name, &Mod.Version, &Mod.Author, &Mod.FileName, &Size};
    for (QString* Field : TitleFields) {
      APos = FPage.CutTo(FRowCell, APos);
      const qsizetype QuoteGt = FPage.FindQuoteGt(APos);
      if (QuoteGt < 0) {
        APos = FPage.Size();
        continue;
      }
      *Field = FPage.TitleOf(APos, QuoteGt + 2);
      APos = QuoteGt + 2;
    }
    Mod.SizeMB = FPage.SizeOf(Size);

    // Issues: the value column inside the issues cell, which sits inside the
    // wrapper cell of issues, ModHub and active.
    APos = FPage.SkipPast(FRowCell, APos);
    APos = FPage.SkipPast(FRowCell, APos);
    APos = FPage.SkipPast(FColumn, APos);
    const qsizetype ValueColumn = FColumn.Find(APos);
    if (ValueColumn >= 0) {
      const qsizetype Gt = FPage.FindGt(ValueColumn);
      if (Gt >= 0)
        APos = Gt;
    }
    const qsizetype IssuesEnd = FEndDiv.Find(APos);
    if (IssuesEnd >= 0) {
      const qsizetype Nbsp = FNbsp.Find(APos);
      const bool EmptyCell = Nbsp >= 0 && Nbsp + 7 <= IssuesEnd + 6;
      const qsizetype ValueStart =
          APos < FPage.Size() && FPage.Text[APos] == u'>' ? APos + 1 : APos;
      if (!EmptyCell && ValueStart <= IssuesEnd)
        Mod.NumOfIssues = FPage.TextOf(ValueStart, IssuesEnd);
    }

    if (FWithModHub) {
      APos = FPage.CutTo(FRowCell, APos);
      APos = FPage.SkipPast(FColumn, APos);
      APos = FPage.SkipPast(FColumn, APos);
      Mod.ModHub = TextBeforeEndDiv(APos);
    }
    APos = FPage.CutTo(FRowCell, APos);
    APos = FPage.SkipPast(FColumn, APos);
    APos = FPage.SkipPast(FColumn, APos);
    Mod.Active = TextBeforeEndDiv(APos);

    APos = FPage.CutTo(FRowCell, APos);
    for (int I = 0; I < 3; ++I)
      APos = FPage.SkipPast(FColumn, APos);
    const qsizetype LinkEnd = FQuoteImg.Find(APos);
    if (LinkEnd >= 0)
      Mod.DownloadURL = FPage.LinkOf(APos, LinkEnd + 2);

    if (!Mod.DownloadURL.isEmpty())
      AResult.append(DecodedTexts(std::move(Mod)));
  }

  bool FWithModHub;
  TPage FPage;
  TCachedFinder FGridRow;
  TCachedFinder FRowCell;
  TCachedFinder FColumn;
  TCachedFinder FRowContinues;
  TCachedFinder FEndDiv;
  TCachedFinder FNbsp;
  TCachedFinder FQuoteImg;
};

} // namespace

TArrayOfServerMods Parse8N9ServerModPage(QStringView APage, QChar ADecimalSeparator) {
  return TTableGrammar(APage, ADecimalSeparator).Parse();
}

TArrayOfServerMods Parse91ServerModPage(QStringView APage, QChar ADecimalSeparator) {
  return TGridGrammar(APage, ADecimalSeparator, false).Parse();
}

TArrayOfServerMods Parse92ServerModPage(QStringView APage, QChar ADecimalSeparator) {
  return TGridGrammar(APage, ADecimalSeparator, true).Parse();
}

TArrayOfServerMods Parse100ServerModPage(QStringView APage, QChar ADecimalSeparator) {
  return TGridGrammar(APage, ADecimalSeparator, true).Parse();
}

TParseServerModPageResult TryParseServerModPage(QStringView APage, QChar ADecimalSeparator) {
  TParseServerModPageResult Result;
  const std::optional<TServerVersionInfo> Version = DetectServerVersion(APage);
  if (!Version)
    return Result;
  Result.Successful = true;
  Result.Layout = Version->Layout;
  if (Version->VersionPrefix == u"8.0." || Version->VersionPrefix == u"9.0.")
    Result.Mods = Parse8N9ServerModPage(APage, ADecimalSeparator);
  else if (Version->VersionPrefix == u"9.1.")
    Result.Mods = Parse91ServerModPage(APage, ADecimalSeparator);
  else if (Version->VersionPrefix == u"9.2.")
    Result.Mods = Parse92ServerModPage(APage, ADecimalSeparator);
  else
    Result.Mods = Parse100ServerModPage(APage, ADecimalSeparator);
  return Result;
}

TParseServerModPageResult ParseServerModPage(QStringView APage, IPromptService& APrompts,
                                             QChar ADecimalSeparator) {
  TParseServerModPageResult Result = TryParseServerModPage(APage, ADecimalSeparator);
  if (!Result.Successful)
    APrompts.ShowMessage(ServerVersionNotDetectedMessage());
  return Result;
}

} // namespace tilvane
