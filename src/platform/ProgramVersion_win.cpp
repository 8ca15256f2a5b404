#include "platform/ProgramVersion.h"

#include "platform/WinApi.h"

#include <string>
#include <vector>

namespace tilvane::platform {

namespace {

// The path the process was started from; empty when it cannot be had.
std::wstring ExecutablePath() {
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Length = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Length == 0)
      return {};
    if (Length < Path.size()) {
      Path.resize(Length);
      return Path;
    }
    if (Path.size() >= 32768) // the longest path Windows has
      return {};
    Path.resize(Path.size() * 2);
  }
}

} // namespace

std::optional<TFileVersion> ProgramFileVersion() {
  const std::wstring Path = ExecutablePath();
  if (Path.empty())
    return std::nullopt;
  DWORD Ignored = 0;
  const DWORD Size = GetFileVersionInfoSizeW(Path.c_str(), &Ignored);
  if (Size == 0)
    return std::nullopt;
  std::vector<unsigned char> Data(Size);
  if (!GetFileVersionInfoW(Path.c_str(), 0, Size, Data.data()))
    return std::nullopt;
  VS_FIXEDFILEINFO* Info = nullptr;
  UINT InfoSize = 0;
  if (!VerQueryValueW(Data.data(), L"\\", reinterpret_cast<void**>(&Info), &InfoSize) || !Info ||
      InfoSize < sizeof(VS_FIXEDFILEINFO) || Info->dwSignature != VS_FFI_SIGNATURE)
    return std::nullopt;
  return TFileVersion{HIWORD(Info->dwFileVersionMS), LOWORD(Info->dwFileVersionMS),
                      HIWORD(Info->dwFileVersionLS), LOWORD(Info->dwFileVersionLS)};
}

} // namespace tilvane::platform
