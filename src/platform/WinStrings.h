#pragma once

#include <string>
#include <string_view>

// The platform layer speaks UTF-8; the Windows API speaks UTF-16 (and, for
// Simple MAPI's older entry, the ANSI code page). Conversions at that border.
namespace tilvane::platform::win {

// Invalid UTF-8 becomes U+FFFD rather than an error: a path that cannot be
// converted then names no file, which the caller reports as it would any
// missing file.
std::wstring Widen(std::string_view AUtf8);
std::string Narrow(std::wstring_view AUtf16);

// The text in the system's ANSI code page; characters it lacks become '?'.
std::string ToAnsi(std::wstring_view AUtf16);

// The system's own text for an error code (GetLastError), without the
// trailing line break, for example "The system cannot find the file specified.".
std::string SystemErrorText(unsigned long AErrorCode);

} // namespace tilvane::platform::win
