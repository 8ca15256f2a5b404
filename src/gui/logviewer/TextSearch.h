#pragma once

#include <QString>
#include <QTextCursor>

class QTextDocument;

namespace tilvane {

struct TTextSearchOptions {
  QString Text;
  bool MatchCase = false;
  bool WholeWord = false;
  bool RegularExpression = false;
  bool Backward = false;
  bool SelectedOnly = false;
  // Start at the beginning of the scope (its end, backwards) instead of at the caret.
  bool EntireScope = false;
};

// Finds the next match in a text document, honouring the find dialog's options.
// The scope is the whole document, or [AScopeStart, AScopeEnd) with SelectedOnly.
// Returns a cursor selecting the match; a null cursor when there is none.
QTextCursor FindText(const QTextDocument& ADocument, const QTextCursor& ACaret,
                     const TTextSearchOptions& AOptions, int AScopeStart, int AScopeEnd);

} // namespace tilvane
