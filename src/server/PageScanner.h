#pragma once

#include <QStringView>

#include <array>

namespace tilvane::servermodpage {

// Finds one fixed text in a page, remembering its last answer. The grammars
// search forward from positions that mostly grow, and a text that is absent
// from the rest of the page would otherwise be searched for to the page's end
// once per row: on a large broken page that is quadratic time.
class TCachedFinder {
public:
  TCachedFinder(QStringView AText, QStringView APattern);

  // The first occurrence at or after AFrom; -1 when there is none.
  qsizetype Find(qsizetype AFrom);

private:
  qsizetype Search(qsizetype AFrom, qsizetype AEnd) const;

  QStringView FText;
  QStringView FPattern;
  // The last search started at FFrom and gave FFound (-1: none to the end).
  qsizetype FFrom = -1;
  qsizetype FFound = -1;
  // Horspool shifts by the low byte of a character: characters that share it
  // share the smallest shift, which stays safe.
  std::array<qsizetype, 256> FShift{};
};

} // namespace tilvane::servermodpage
