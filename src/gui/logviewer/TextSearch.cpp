#include "gui/logviewer/TextSearch.h"

#include <QRegularExpression>
#include <QTextDocument>

namespace tilvane {

QTextCursor FindText(const QTextDocument& ADocument, const QTextCursor& ACaret,
                     const TTextSearchOptions& AOptions, int AScopeStart, int AScopeEnd) {
  if (AOptions.Text.isEmpty())
    return {};
  int scopeStart = 0;
  int scopeEnd = ADocument.characterCount() - 1;
  if (AOptions.SelectedOnly) {
    scopeStart = std::max(scopeStart, AScopeStart);
    scopeEnd = std::min(scopeEnd, AScopeEnd);
  }
  int from;
  if (AOptions.EntireScope)
    from = AOptions.Backward ? scopeEnd : scopeStart;
  else if (AOptions.Backward)
    from = std::min(ACaret.selectionStart(), scopeEnd);
  else
    from = std::max(ACaret.selectionEnd(), scopeStart);

  QTextDocument::FindFlags flags;
  if (AOptions.Backward)
    flags |= QTextDocument::FindBackward;
  if (AOptions.WholeWord)
    flags |= QTextDocument::FindWholeWords;
  QTextCursor match;
  if (AOptions.RegularExpression) {
    const QRegularExpression expression(
        AOptions.Text, AOptions.MatchCase ? QRegularExpression::NoPatternOption
                                          : QRegularExpression::CaseInsensitiveOption);
    if (!expression.isValid())
      return {};
    match = ADocument.find(expression, from, flags);
  } else {
    if (AOptions.MatchCase)
      flags |= QTextDocument::FindCaseSensitively;
    match = ADocument.find(AOptions.Text, from, flags);
  }
  if (match.isNull() || match.selectionStart() < scopeStart || match.selectionEnd() > scopeEnd)
    return {};
  return match;
}

} // namespace tilvane
