#include "platform/Platform.h"
#include "platform/WinApi.h"
#include "platform/WinMail.h"
#include "platform/WinStrings.h"

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cwchar>

namespace tilvane::platform {

const char PathDelimiter = '\\';

namespace {

using win::Narrow;
using win::Widen;

// The current path of a shell folder; empty when the shell has none (a
// folder that was never created, a redirected folder that is offline).
std::string KnownFolder(REFKNOWNFOLDERID AFolder) {
  wchar_t* Path = nullptr;
  const HRESULT Result = SHGetKnownFolderPath(AFolder, KF_FLAG_DEFAULT, nullptr, &Path);
  // The buffer is the caller's even when the call fails.
  const win::UniqueCoTaskString Owned(Path);
  return SUCCEEDED(Result) && Owned ? Narrow(Owned.get()) : std::string();
}

// Steam's installer writes its folder to the 32-bit view of the registry.
// The path names that view itself, so it is read from the 64-bit view, where
// it means the same whether this program is built for 32 or 64 bits.
std::string ReadSteamInstallPath() {
  HKEY Key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Valve\\Steam", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &Key) != ERROR_SUCCESS)
    return {};
  const win::UniqueKey Owned(Key);
  // The value may change between asking for its size and reading it.
  for (int Attempt = 0; Attempt < 3; ++Attempt) {
    DWORD Bytes = 0;
    if (RegGetValueW(Key, nullptr, L"InstallPath", RRF_RT_REG_SZ, nullptr, nullptr, &Bytes) !=
        ERROR_SUCCESS)
      return {};
    std::wstring Value(Bytes / sizeof(wchar_t) + 1, L'\0');
    Bytes = static_cast<DWORD>(Value.size() * sizeof(wchar_t));
    const LSTATUS Status =
        RegGetValueW(Key, nullptr, L"InstallPath", RRF_RT_REG_SZ, nullptr, Value.data(), &Bytes);
    if (Status == ERROR_MORE_DATA)
      continue;
    if (Status != ERROR_SUCCESS)
      return {};
    Value.resize(wcsnlen(Value.c_str(), Value.size()));
    return Narrow(Value);
  }
  return {};
}

std::string TemporaryFolder() {
  wchar_t Buffer[MAX_PATH + 1];
  const DWORD Length = GetTempPathW(MAX_PATH + 1, Buffer);
  if (Length == 0 || Length > MAX_PATH)
    return {};
  std::wstring Path(Buffer, Length);
  // Without the trailing separator, like every other folder of IPlatform.
  if (Path.size() > 3 && Path.back() == L'\\')
    Path.pop_back();
  return Narrow(Path);
}

std::vector<std::string> ProcessNames() {
  const win::UniqueHandle Snapshot =
      win::OwnFileHandle(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!Snapshot)
    throw PlatformError("Cannot list the running processes: " +
                        win::SystemErrorText(GetLastError()));
  std::vector<std::string> Names;
  PROCESSENTRY32W Entry{};
  Entry.dwSize = sizeof Entry;
  for (BOOL More = Process32FirstW(Snapshot.get(), &Entry); More;
       More = Process32NextW(Snapshot.get(), &Entry))
    Names.push_back(Narrow(Entry.szExeFile));
  const DWORD Error = GetLastError();
  if (Error != ERROR_NO_MORE_FILES)
    throw PlatformError("Cannot list the running processes: " + win::SystemErrorText(Error));
  return Names;
}

class WindowsPlatform : public IPlatform {
public:
  std::string DocumentsFolder() override { return KnownFolder(FOLDERID_Documents); }
  std::string GameDocumentsFolder() override { return DocumentsFolder(); }
  std::string DesktopFolder() override { return KnownFolder(FOLDERID_Desktop); }
  std::string LocalAppDataFolder() override { return KnownFolder(FOLDERID_LocalAppData); }
  std::string TempFolder() override { return TemporaryFolder(); }
  std::string ProgramFilesFolder() override { return KnownFolder(FOLDERID_ProgramFiles); }
  std::string SteamFolder() override { return ReadSteamInstallPath(); }
  // Windows is the game's home: it always runs natively here.
  ProtonGame FindProtonGame(std::uint32_t /*steamAppId*/,
                            const std::string& /*steamGameRelative*/) override {
    return {};
  }

  std::vector<std::string> RunningProcessNames() override { return ProcessNames(); }

  bool ShellOpen(const std::string& ATarget) override {
    // No verb: the file type's default action, which for an installer is
    // "open" and for a folder is the explorer.
    const HINSTANCE Result =
        ShellExecuteW(nullptr, nullptr, Widen(ATarget).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(Result) > 32;
  }

  bool IsHidden(const std::string& APath) override {
    const DWORD Attributes = GetFileAttributesW(Widen(APath).c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  }

  bool SetHidden(const std::string& APath, bool AHidden) override {
    const std::wstring WidePath = Widen(APath);
    const DWORD Attributes = GetFileAttributesW(WidePath.c_str());
    if (Attributes == INVALID_FILE_ATTRIBUTES)
      return false;
    const DWORD Wanted =
        AHidden ? (Attributes | FILE_ATTRIBUTE_HIDDEN) : (Attributes & ~FILE_ATTRIBUTE_HIDDEN);
    return Wanted == Attributes ||
           SetFileAttributesW(WidePath.c_str(), win::SettableAttributes(Wanted)) != 0;
  }

  bool SendMail(const MailMessage& AMessage) override { return win::SendMailThroughMapi(AMessage); }
};

} // namespace

std::unique_ptr<IPlatform> CreateSystemPlatform() {
  return std::make_unique<WindowsPlatform>();
}

} // namespace tilvane::platform
