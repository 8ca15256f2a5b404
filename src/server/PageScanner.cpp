#include "server/PageScanner.h"

#include <algorithm>
#include <string_view>

namespace tilvane::servermodpage {

TCachedFinder::TCachedFinder(QStringView AText, QStringView APattern)
    : FText(AText), FPattern(APattern) {
  const qsizetype M = FPattern.size();
  FShift.fill(M);
  for (qsizetype I = 0; I + 1 < M; ++I)
    FShift[FPattern[I].unicode() & 0xFF] = M - 1 - I;
}

// The first occurrence starting in [AFrom, AEnd - pattern length]; -1 if none.
qsizetype TCachedFinder::Search(qsizetype AFrom, qsizetype AEnd) const {
  const qsizetype M = FPattern.size();
  if (M == 0)
    return AFrom <= AEnd ? AFrom : -1;
  const char16_t* Text = FText.utf16();
  const char16_t* Pattern = FPattern.utf16();
  const char16_t Last = Pattern[M - 1];
  if (M == 1) {
    const auto View = std::u16string_view(Text, size_t(AEnd));
    const size_t At = View.find(Last, size_t(AFrom));
    return At == std::u16string_view::npos ? -1 : qsizetype(At);
  }
  for (qsizetype Pos = AFrom; Pos + M <= AEnd;) {
    const char16_t C = Text[Pos + M - 1];
    if (C == Last && std::equal(Pattern, Pattern + M - 1, Text + Pos))
      return Pos;
    Pos += FShift[C & 0xFF];
  }
  return -1;
}

qsizetype TCachedFinder::Find(qsizetype AFrom) {
  const qsizetype Size = FText.size();
  AFrom = std::max<qsizetype>(AFrom, 0);
  if (AFrom > Size)
    return -1;
  if (FFrom >= 0 && AFrom >= FFrom && (FFound < 0 || AFrom <= FFound))
    return FFound;
  if (FFrom >= 0 && AFrom < FFrom) {
    // Occurrences starting at or after FFrom are known; only those starting
    // in the gap before it need a look.
    const qsizetype GapEnd = std::min(Size, FFrom + FPattern.size() - 1);
    const qsizetype InGap =
        AFrom < GapEnd ? FText.first(GapEnd).indexOf(FPattern, AFrom, Qt::CaseSensitive) : -1;
    FFrom = AFrom;
    if (InGap >= 0)
      FFound = InGap;
    return FFound;
  }
  FFrom = AFrom;
  FFound = Search(AFrom, Size);
  return FFound;
}

} // namespace tilvane::servermodpage
