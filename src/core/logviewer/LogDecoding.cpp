#include "core/logviewer/LogDecoding.h"

#include "core/common/TextCodecs.h"

#include <cstring>

namespace tilvane {

namespace {

QString DecodeUtf16(const unsigned char* p, std::int64_t size, bool bigEndian) {
  const std::int64_t units = size / 2;
  QString result(static_cast<qsizetype>(units + (size % 2)), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(result.data());
  for (std::int64_t i = 0; i < units; ++i) {
    const unsigned char a = p[2 * i], b = p[2 * i + 1];
    out[i] = bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
  }
  if (size % 2)
    out[units] = QChar::ReplacementCharacter;
  return result;
}

} // namespace

TLogEncodingInfo DetectLogEncoding(const char* AData, std::int64_t ASize) {
  const auto* p = reinterpret_cast<const unsigned char*>(AData);
  if (ASize >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
    return {TLogEncoding::Utf8, 3};
  if (ASize >= 2 && p[0] == 0xFF && p[1] == 0xFE)
    return {TLogEncoding::Utf16LE, 2};
  if (ASize >= 2 && p[0] == 0xFE && p[1] == 0xFF)
    return {TLogEncoding::Utf16BE, 2};
  if (IsValidUtf8(AData, ASize))
    return {TLogEncoding::Utf8, 0};
  return {TLogEncoding::Windows1252, 0};
}

bool IsValidUtf8(const char* AData, std::int64_t ASize) {
  const auto* p = reinterpret_cast<const unsigned char*>(AData);
  std::int64_t i = 0;
  while (i < ASize) {
    // Plain ASCII dominates game logs: skip it eight bytes at a time.
    while (i + 8 <= ASize) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      if (word & 0x8080808080808080ull)
        break;
      i += 8;
    }
    if (i >= ASize)
      break;
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0)
        lo = 0xA0; // overlong
      else if (c == 0xED)
        hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0)
        lo = 0x90;
      else if (c == 0xF4)
        hi = 0x8F;
    } else {
      return false;
    }
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= ASize)
        return true; // cut off by the end of the data
      const unsigned char d = p[i + k];
      if (k == 1 ? (d < lo || d > hi) : (d < 0x80 || d > 0xBF))
        return false;
    }
    i += extra + 1;
  }
  return true;
}

QString DecodeLogBytes(TLogEncoding AEncoding, const char* AData, std::int64_t ASize) {
  const auto* p = reinterpret_cast<const unsigned char*>(AData);
  switch (AEncoding) {
  case TLogEncoding::Utf8:
    return QString::fromUtf8(AData, static_cast<qsizetype>(ASize));
  case TLogEncoding::Utf16LE:
    return DecodeUtf16(p, ASize, false);
  case TLogEncoding::Utf16BE:
    return DecodeUtf16(p, ASize, true);
  case TLogEncoding::Windows1252:
    return DecodeWindows1252(QByteArrayView(AData, static_cast<qsizetype>(ASize)));
  }
  return {};
}

std::int64_t LastLineStart(const char* AData, std::int64_t ASize, int AUnitSize, bool ABigEndian) {
  const auto* p = reinterpret_cast<const unsigned char*>(AData);
  const std::int64_t units = ASize / AUnitSize;
  auto unitAt = [&](std::int64_t i) -> unsigned {
    if (AUnitSize == 1)
      return p[i];
    const unsigned a = p[2 * i], b = p[2 * i + 1];
    return ABigEndian ? ((a << 8) | b) : ((b << 8) | a);
  };
  std::int64_t end = units;
  // A line end at the very end belongs to the last line. Half a code unit
  // after it begins a line of its own.
  if (ASize % AUnitSize != 0) {
    // nothing to strip
  } else if (end > 0 && unitAt(end - 1) == '\n') {
    --end;
    if (end > 0 && unitAt(end - 1) == '\r')
      --end;
  } else if (end > 0 && unitAt(end - 1) == '\r') {
    --end;
  }
  for (std::int64_t i = end; i > 0; --i) {
    const unsigned u = unitAt(i - 1);
    if (u == '\n' || u == '\r')
      return i * AUnitSize;
  }
  return 0;
}

} // namespace tilvane
