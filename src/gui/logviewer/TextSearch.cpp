#include "gui/logviewer/TextSearch.h"

#include <QRegularExpression>
#include <QTextDocument>

namespace tilvane {

QTextCursor FindText(const QTextDocument& ADocument, const QTextCursor& ACaret,
                     const TTextSearchOptions& AOptions, int AScopeStart, int AScopeEnd) {
  if (AOptions.Text.isEmpty())
    return {};
  int ScopeStart = 0;
  int ScopeEnd = ADocument.characterCount() - 1;
  if (AOptions.SelectedOnly) {
    ScopeStart = std::max(ScopeStart, AScopeStart);
    ScopeEnd = std::min(ScopeEnd, AScopeEnd);
  }
  int From;
  if (AOptions.EntireScope)
    From = AOptions.Backward ? ScopeEnd : ScopeStart;
  else if (AOptions.Backward)
    From = std::min(ACaret.selectionStart(), ScopeEnd);
  else
    From = std::max(ACaret.selectionEnd(), ScopeStart);

  QTextDocument::FindFlags Flags;
  if (AOptions.Backward)
    Flags |= QTextDocument::FindBackward;
  if (AOptions.WholeWord)
    Flags |= QTextDocument::FindWholeWords;
  QTextCursor Match;
  if (AOptions.RegularExpression) {
    const QRegularExpression Expression(
        AOptions.Text, AOptions.MatchCase ? QRegularExpression::NoPatternOption
                                          : QRegularExpression::CaseInsensitiveOption);
    if (!Expression.isValid())
      return {};
    Match = ADocument.find(Expression, From, Flags);
  } else {
    if (AOptions.MatchCase)
      Flags |= QTextDocument::FindCaseSensitively;
    Match = ADocument.find(AOptions.Text, From, Flags);
  }
  if (Match.isNull() || Match.selectionStart() < ScopeStart || Match.selectionEnd() > ScopeEnd)
    return {};
  return Match;
}

} // namespace tilvane
