#pragma once

#include <QString>

#include <cstdint>

namespace tilvane {

// How the bytes of a log file are turned into text. A byte-order mark wins;
// without one the bytes are UTF-8 when they are valid UTF-8, else Windows-1252
// (the code page the game's Windows players have).
enum class TLogEncoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

struct TLogEncodingInfo {
  TLogEncoding Encoding = TLogEncoding::Utf8;
  int BomSize = 0; // bytes of the byte-order mark at the start of the file
};

// Decides the encoding of a whole file's bytes.
TLogEncodingInfo DetectLogEncoding(const char* AData, std::int64_t ASize);

// True when the bytes are valid UTF-8. A sequence cut off by the end of the
// data counts as valid: the game may be in the middle of writing it.
bool IsValidUtf8(const char* AData, std::int64_t ASize);

// Decodes bytes that start at a character boundary. An odd trailing byte of
// UTF-16 and a cut-off UTF-8 sequence become U+FFFD.
QString DecodeLogBytes(TLogEncoding AEncoding, const char* AData, std::int64_t ASize);

// The byte offset at which the last line of the data begins, for data that
// starts at a line start. A line ends at CR LF, LF or CR; a line end at the
// very end of the data does not begin another line. `AUnitSize` is 2 for
// UTF-16 (with `ABigEndian` for its byte order), else 1.
std::int64_t LastLineStart(const char* AData, std::int64_t ASize, int AUnitSize, bool ABigEndian);

} // namespace tilvane
