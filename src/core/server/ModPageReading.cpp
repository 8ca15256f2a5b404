#include "core/server/ModPageReading.h"

#include "core/server/GridPageReader.h"

namespace tilvane {

TModPageReading ReadModPage(QStringView APage, QChar ADecimalSeparator) {
  TModPageReading Reading;
  TParseServerModPageResult Parsed = TryParseServerModPage(APage, ADecimalSeparator);
  if (!Parsed.Successful)
    return Reading;
  Reading.Successful = true;
  Reading.Layout = Parsed.Layout;
  const TModPageCensus Census = TakeModPageCensus(APage, Parsed.Layout);
  Reading.GrammarCheck = CheckModList(Census, Parsed.Mods);
  Reading.Check = Reading.GrammarCheck;
  Reading.Mods = std::move(Parsed.Mods);
  if (Reading.Check.Passed || Reading.Layout == TServerPageLayout::Table)
    return Reading;

  TArrayOfServerMods GridMods = ReadGridModPage(
      APage, Reading.Layout == TServerPageLayout::GridWithModHub, ADecimalSeparator);
  Reading.GridReaderTried = true;
  Reading.GridCheck = CheckModList(Census, GridMods);
  if (Reading.GridCheck.Passed || Reading.GridCheck.RecognisedRows > Reading.Check.RecognisedRows) {
    Reading.Reader = TModPageReader::GridReader;
    Reading.Mods = std::move(GridMods);
    Reading.Check = Reading.GridCheck;
  }
  return Reading;
}

QString ModPageReadingSummary(const TModPageReading& AReading) {
  if (!AReading.Successful)
    return ServerVersionNotDetectedMessage();
  const TModListCheck& Grammar = AReading.GrammarCheck;
  const TModListCheck& Check = AReading.Check;
  if (Check.Passed && AReading.Reader == TModPageReader::Grammar)
    return QStringLiteral("Mod list read completely by the page grammar: %1 mods.")
        .arg(Check.RecognisedRows);
  if (Check.Passed)
    return QStringLiteral("Mod list read completely by the grid reader: %1 mods (the page grammar "
                          "recognised %2 of %3).")
        .arg(Check.RecognisedRows)
        .arg(Grammar.RecognisedRows)
        .arg(Grammar.PageRows);
  QString Text = QStringLiteral("The mod list could not be read completely: the page grammar "
                                "recognised %1 of %2 mods")
                     .arg(Grammar.RecognisedRows)
                     .arg(Grammar.PageRows);
  if (AReading.GridReaderTried)
    Text += QStringLiteral(", the grid reader %1 of %2")
                .arg(AReading.GridCheck.RecognisedRows)
                .arg(AReading.GridCheck.PageRows);
  return Text + QLatin1Char('.');
}

} // namespace tilvane
