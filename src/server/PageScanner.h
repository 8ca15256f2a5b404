#pragma once

#include <QStringView>

namespace tilvane::servermodpage {

// The first occurrence of APattern in AText starting at or after AFrom; -1
// when there is none. Case-sensitive, never reads outside AText. Pages are
// megabytes of markup whose patterns all start with a frequent character, so
// this tests the first and the last character of many places at once before
// comparing the rest.
qsizetype FindInPage(QStringView AText, QStringView APattern, qsizetype AFrom);

// Finds one fixed text in a page, remembering its last answer. The grammars
// search forward from positions that mostly grow, and a text that is absent
// from the rest of the page would otherwise be searched for to the page's end
// once per row: on a large broken page that is quadratic time.
class TCachedFinder {
public:
  TCachedFinder(QStringView AText, QStringView APattern) : FText(AText), FPattern(APattern) {}

  // The first occurrence at or after AFrom; -1 when there is none.
  qsizetype Find(qsizetype AFrom);

private:
  QStringView FText;
  QStringView FPattern;
  // The last search started at FFrom and gave FFound (-1: none to the end).
  qsizetype FFrom = -1;
  qsizetype FFound = -1;
};

} // namespace tilvane::servermodpage
