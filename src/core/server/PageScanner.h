#pragma once

#include <QStringView>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tilvane::servermodpage {

// The first occurrence of APattern in AText starting at or after AFrom; -1
// when there is none. Case-sensitive, never reads outside AText. Pages are
// megabytes of markup whose patterns all start with a frequent character, so
// this tests the first and the last character of many places at once before
// comparing the rest.
qsizetype FindInPage(QStringView AText, QStringView APattern, qsizetype AFrom);

// The first AChar in AText at or after AFrom; -1 when there is none. For
// the short distances between the tags of markup: eight places at a time,
// without the setup of the library's search, which costs more than such a
// distance.
inline qsizetype FindCharInPage(QStringView AText, char16_t AChar, qsizetype AFrom) {
  const char16_t* const Data = AText.utf16();
  const qsizetype Size = AText.size();
  qsizetype I = AFrom;
#if defined(__SSE2__)
  const __m128i Wanted = _mm_set1_epi16(static_cast<short>(AChar));
  for (; I + 8 <= Size; I += 8) {
    const __m128i Chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data + I));
    const int Mask = _mm_movemask_epi8(_mm_cmpeq_epi16(Chars, Wanted));
    if (Mask != 0)
      return I + __builtin_ctz(static_cast<unsigned>(Mask)) / 2;
  }
#endif
  for (; I < Size; ++I) {
    if (Data[I] == AChar)
      return I;
  }
  return -1;
}

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
