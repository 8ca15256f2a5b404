#include "core/server/PageScanner.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tilvane::servermodpage {

namespace {

bool MatchesAt(const char16_t* AText, const char16_t* APattern, qsizetype ALength) {
  return std::equal(APattern, APattern + ALength, AText);
}

// The first place in [AFrom, AEnd - M] where APattern (M >= 2 characters)
// starts; -1 if none. AEnd is the end of the text that may be read.
qsizetype SearchFrom(const char16_t* AText, qsizetype AFrom, qsizetype AEnd,
                     const char16_t* APattern, qsizetype AM) {
  // A place is a candidate when its first, middle and last characters match:
  // markup is full of '<', '"' and '>', so two characters alone let through
  // many places that fail later.
  const qsizetype Mid = AM / 2;
  const char16_t First = APattern[0];
  const char16_t Middle = APattern[Mid];
  const char16_t Last = APattern[AM - 1];
  qsizetype Pos = AFrom;
#if defined(__SSE2__)
  // Eight places per step; every load ends before AEnd.
  const __m128i FirstV = _mm_set1_epi16(static_cast<short>(First));
  const __m128i MiddleV = _mm_set1_epi16(static_cast<short>(Middle));
  const __m128i LastV = _mm_set1_epi16(static_cast<short>(Last));
  const auto Load = [AText](qsizetype AT) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(AText + AT));
  };
  for (; Pos + AM - 1 + 8 <= AEnd; Pos += 8) {
    const __m128i Hits = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi16(Load(Pos), FirstV),
                                                     _mm_cmpeq_epi16(Load(Pos + Mid), MiddleV)),
                                       _mm_cmpeq_epi16(Load(Pos + AM - 1), LastV));
    unsigned Mask = static_cast<unsigned>(_mm_movemask_epi8(Hits));
    while (Mask != 0) {
      const int Bit = __builtin_ctz(Mask);
      const qsizetype At = Pos + Bit / 2;
      if (MatchesAt(AText + At + 1, APattern + 1, AM - 2))
        return At;
      Mask &= ~(3u << Bit); // both bytes of the character
    }
  }
#endif
  for (; Pos + AM <= AEnd; ++Pos) {
    if (AText[Pos] == First && AText[Pos + Mid] == Middle && AText[Pos + AM - 1] == Last &&
        MatchesAt(AText + Pos + 1, APattern + 1, AM - 2))
      return Pos;
  }
  return -1;
}

} // namespace

qsizetype FindInPage(QStringView AText, QStringView APattern, qsizetype AFrom) {
  const qsizetype Size = AText.size();
  const qsizetype M = APattern.size();
  AFrom = std::max<qsizetype>(AFrom, 0);
  if (AFrom > Size)
    return -1;
  if (M == 0)
    return AFrom;
  if (M == 1)
    return AText.indexOf(APattern.front(), AFrom, Qt::CaseSensitive);
  return SearchFrom(AText.utf16(), AFrom, Size, APattern.utf16(), M);
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
    const qsizetype InGap = AFrom < GapEnd ? FindInPage(FText.first(GapEnd), FPattern, AFrom) : -1;
    FFrom = AFrom;
    if (InGap >= 0)
      FFound = InGap;
    return FFound;
  }
  FFrom = AFrom;
  FFound = FindInPage(FText, FPattern, AFrom);
  return FFound;
}

} // namespace tilvane::servermodpage
