#pragma once

#include <cstddef>
#include <cstdint>

// Text for the last words of a crashing process: no allocation, no locale,
// no library call that might take a lock, so that a fatal-signal or
// unhandled-exception handler may use it.
namespace tilvane::platform::signal_safe {

// Room for any 64-bit number in base 8 or more.
constexpr std::size_t NumberTextSize = 24;

inline std::size_t Length(const char* AText) {
  std::size_t Count = 0;
  while (AText[Count] != '\0')
    ++Count;
  return Count;
}

// AValue in ABase (2 to 16) with at least AMinDigits digits, zeros in front,
// written to AText without a terminating zero. Returns the count of digits.
inline std::size_t FormatNumber(char (&AText)[NumberTextSize], std::uint64_t AValue,
                                unsigned ABase = 10, std::size_t AMinDigits = 1) {
  char Digits[NumberTextSize];
  std::size_t Count = 0;
  do {
    Digits[Count++] = "0123456789abcdef"[AValue % ABase];
    AValue /= ABase;
  } while (AValue != 0 && Count < NumberTextSize);
  while (Count < AMinDigits && Count < NumberTextSize)
    Digits[Count++] = '0';
  for (std::size_t I = 0; I < Count; ++I)
    AText[I] = Digits[Count - 1 - I];
  return Count;
}

} // namespace tilvane::platform::signal_safe
