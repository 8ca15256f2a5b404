#include "core/common/TextCodecs.h"

#include <array>

namespace tilvane {

namespace {

// The bytes 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QString DecodeWindows1252(QByteArrayView ABytes) {
  // One plain pass into a string of the final size: the log viewer decodes
  // whole multi-megabyte logs through here.
  const qsizetype Size = ABytes.size();
  const auto* In = reinterpret_cast<const unsigned char*>(ABytes.data());
  QString Result(Size, Qt::Uninitialized);
  char16_t* Out = reinterpret_cast<char16_t*>(Result.data());
  for (qsizetype I = 0; I < Size; ++I) {
    const unsigned char C = In[I];
    Out[I] = (C >= 0x80 && C <= 0x9F) ? Cp1252High[C - 0x80] : char16_t(C);
  }
  return Result;
}

} // namespace tilvane
