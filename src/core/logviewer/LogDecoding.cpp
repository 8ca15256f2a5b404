#include "core/logviewer/LogDecoding.h"

#include "core/common/TextCodecs.h"

#include <cstring>

namespace tilvane {

namespace {

QString DecodeUtf16(const unsigned char* ABytes, std::int64_t ASize, bool ABigEndian) {
  const std::int64_t Units = ASize / 2;
  QString Result(static_cast<qsizetype>(Units + (ASize % 2)), Qt::Uninitialized);
  char16_t* Out = reinterpret_cast<char16_t*>(Result.data());
  for (std::int64_t I = 0; I < Units; ++I) {
    const unsigned char A = ABytes[2 * I], B = ABytes[2 * I + 1];
    Out[I] = ABigEndian ? char16_t((A << 8) | B) : char16_t((B << 8) | A);
  }
  if (ASize % 2)
    Out[Units] = QChar::ReplacementCharacter;
  return Result;
}

} // namespace

TLogEncodingInfo DetectLogEncoding(const char* AData, std::int64_t ASize) {
  const auto* P = reinterpret_cast<const unsigned char*>(AData);
  if (ASize >= 3 && P[0] == 0xEF && P[1] == 0xBB && P[2] == 0xBF)
    return {TLogEncoding::Utf8, 3};
  if (ASize >= 2 && P[0] == 0xFF && P[1] == 0xFE)
    return {TLogEncoding::Utf16LE, 2};
  if (ASize >= 2 && P[0] == 0xFE && P[1] == 0xFF)
    return {TLogEncoding::Utf16BE, 2};
  if (IsValidUtf8(AData, ASize))
    return {TLogEncoding::Utf8, 0};
  return {TLogEncoding::Windows1252, 0};
}

bool IsValidUtf8(const char* AData, std::int64_t ASize) {
  const auto* P = reinterpret_cast<const unsigned char*>(AData);
  std::int64_t I = 0;
  while (I < ASize) {
    // Plain ASCII dominates game logs: skip it eight bytes at a time.
    while (I + 8 <= ASize) {
      std::uint64_t Word;
      std::memcpy(&Word, P + I, 8);
      if (Word & 0x8080808080808080ull)
        break;
      I += 8;
    }
    if (I >= ASize)
      break;
    const unsigned char C = P[I];
    if (C < 0x80) {
      ++I;
      continue;
    }
    int Extra;
    unsigned char Lo = 0x80, Hi = 0xBF; // allowed range of the second byte
    if (C >= 0xC2 && C <= 0xDF) {
      Extra = 1;
    } else if (C >= 0xE0 && C <= 0xEF) {
      Extra = 2;
      if (C == 0xE0)
        Lo = 0xA0; // overlong
      else if (C == 0xED)
        Hi = 0x9F; // surrogates
    } else if (C >= 0xF0 && C <= 0xF4) {
      Extra = 3;
      if (C == 0xF0)
        Lo = 0x90;
      else if (C == 0xF4)
        Hi = 0x8F;
    } else {
      return false;
    }
    for (int K = 1; K <= Extra; ++K) {
      if (I + K >= ASize)
        return true; // cut off by the end of the data
      const unsigned char D = P[I + K];
      if (K == 1 ? (D < Lo || D > Hi) : (D < 0x80 || D > 0xBF))
        return false;
    }
    I += Extra + 1;
  }
  return true;
}

QString DecodeLogBytes(TLogEncoding AEncoding, const char* AData, std::int64_t ASize) {
  const auto* P = reinterpret_cast<const unsigned char*>(AData);
  switch (AEncoding) {
  case TLogEncoding::Utf8:
    return QString::fromUtf8(AData, static_cast<qsizetype>(ASize));
  case TLogEncoding::Utf16LE:
    return DecodeUtf16(P, ASize, false);
  case TLogEncoding::Utf16BE:
    return DecodeUtf16(P, ASize, true);
  case TLogEncoding::Windows1252:
    return DecodeWindows1252(QByteArrayView(AData, static_cast<qsizetype>(ASize)));
  }
  return {};
}

std::int64_t LastLineStart(const char* AData, std::int64_t ASize, int AUnitSize, bool ABigEndian) {
  const auto* P = reinterpret_cast<const unsigned char*>(AData);
  const std::int64_t Units = ASize / AUnitSize;
  auto UnitAt = [&](std::int64_t AI) -> unsigned {
    if (AUnitSize == 1)
      return P[AI];
    const unsigned A = P[2 * AI], B = P[2 * AI + 1];
    return ABigEndian ? ((A << 8) | B) : ((B << 8) | A);
  };
  std::int64_t End = Units;
  // A line end at the very end belongs to the last line. Half a code unit
  // after it begins a line of its own.
  if (ASize % AUnitSize != 0) {
    // nothing to strip
  } else if (End > 0 && UnitAt(End - 1) == '\n') {
    --End;
    if (End > 0 && UnitAt(End - 1) == '\r')
      --End;
  } else if (End > 0 && UnitAt(End - 1) == '\r') {
    --End;
  }
  for (std::int64_t I = End; I > 0; --I) {
    const unsigned U = UnitAt(I - 1);
    if (U == '\n' || U == '\r')
      return I * AUnitSize;
  }
  return 0;
}

} // namespace tilvane
