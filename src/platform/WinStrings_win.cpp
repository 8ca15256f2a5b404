#include "platform/WinStrings.h"

#include "platform/WinApi.h"

#include <climits>

namespace tilvane::platform::win {

namespace {

int CheckedLength(std::size_t ASize) {
  return ASize > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(ASize);
}

std::string FromWide(std::wstring_view AText, UINT ACodePage) {
  if (AText.empty())
    return {};
  const int Length = CheckedLength(AText.size());
  const int Size =
      WideCharToMultiByte(ACodePage, 0, AText.data(), Length, nullptr, 0, nullptr, nullptr);
  if (Size <= 0)
    return {};
  std::string Result(static_cast<std::size_t>(Size), '\0');
  WideCharToMultiByte(ACodePage, 0, AText.data(), Length, Result.data(), Size, nullptr, nullptr);
  return Result;
}

} // namespace

std::wstring Widen(std::string_view AUtf8) {
  if (AUtf8.empty())
    return {};
  const int Length = CheckedLength(AUtf8.size());
  const int Size = MultiByteToWideChar(CP_UTF8, 0, AUtf8.data(), Length, nullptr, 0);
  if (Size <= 0)
    return {};
  std::wstring Result(static_cast<std::size_t>(Size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, AUtf8.data(), Length, Result.data(), Size);
  return Result;
}

std::string Narrow(std::wstring_view AUtf16) {
  return FromWide(AUtf16, CP_UTF8);
}

std::string ToAnsi(std::wstring_view AUtf16) {
  return FromWide(AUtf16, CP_ACP);
}

std::string SystemErrorText(unsigned long AErrorCode) {
  wchar_t* Buffer = nullptr;
  const DWORD Length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, AErrorCode, 0, reinterpret_cast<wchar_t*>(&Buffer), 0, nullptr);
  const UniqueLocalString Owned(Buffer);
  if (Length == 0 || !Owned)
    return "Error " + std::to_string(AErrorCode);
  std::wstring Text(Owned.get(), Length);
  while (!Text.empty() && (Text.back() == L'\n' || Text.back() == L'\r' || Text.back() == L' '))
    Text.pop_back();
  return Narrow(Text);
}

} // namespace tilvane::platform::win
