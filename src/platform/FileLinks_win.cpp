#include "platform/FileLinks.h"

#include "platform/WinApi.h"
#include "platform/WinStrings.h"

namespace tilvane::platform {

TFileIdentity FileIdentityOf(const std::string& APath) {
  // FILE_FLAG_BACKUP_SEMANTICS opens folders too; no access right is needed
  // to read a file's identity.
  HANDLE Raw = ::CreateFileW(win::Widen(APath).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (Raw == INVALID_HANDLE_VALUE)
    return {};
  const win::UniqueHandle Handle(Raw);
  BY_HANDLE_FILE_INFORMATION Info{};
  if (!::GetFileInformationByHandle(Handle.get(), &Info))
    return {};
  TFileIdentity Result;
  Result.Valid = true;
  Result.Device = Info.dwVolumeSerialNumber;
  Result.File = (static_cast<std::uint64_t>(Info.nFileIndexHigh) << 32) | Info.nFileIndexLow;
  Result.Links = Info.nNumberOfLinks;
  return Result;
}

TLinkOutcome LinkFile(const std::string& AExisting, const std::string& ANewName,
                      std::string& AReason) {
  if (::CreateHardLinkW(win::Widen(ANewName).c_str(), win::Widen(AExisting).c_str(), nullptr))
    return TLinkOutcome::Linked;
  const DWORD Error = ::GetLastError();
  AReason = win::SystemErrorText(Error);
  // Another volume, FAT/exFAT, a share without links, a file with 1023 names.
  switch (Error) {
  case ERROR_NOT_SAME_DEVICE:
  case ERROR_INVALID_FUNCTION:
  case ERROR_NOT_SUPPORTED:
  case ERROR_TOO_MANY_LINKS:
  case ERROR_ACCESS_DENIED:
    return TLinkOutcome::NotPossible;
  default:
    return TLinkOutcome::Failed;
  }
}

} // namespace tilvane::platform
