#include "platform/AtomicReplace.h"

#include "platform/Platform.h"
#include "platform/WinApi.h"
#include "platform/WinStrings.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <iterator>

namespace tilvane::platform {

namespace {

[[noreturn]] void ThrowSystemError(DWORD AError) {
  throw PlatformError(win::SystemErrorText(AError));
}

// Deletes the temporary file unless it has taken the target's place.
class TTemporaryFile {
public:
  explicit TTemporaryFile(std::wstring APath) : FPath(std::move(APath)) {}
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;
  ~TTemporaryFile() {
    if (!FPath.empty())
      DeleteFileW(FPath.c_str());
  }
  const std::wstring& Path() const { return FPath; }
  void Release() { FPath.clear(); }

private:
  std::wstring FPath;
};

// A new file beside ATarget, on the same volume, so that it can replace the
// target without copying. Named after the target, so that a stray one left by
// a power cut shows whose it was.
win::UniqueHandle CreateSibling(const std::wstring& ATarget, std::wstring& APath) {
  static std::atomic<unsigned> Counter{0};
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    wchar_t Suffix[48];
    std::swprintf(Suffix, std::size(Suffix), L".%lx-%x.tmp", GetCurrentProcessId(),
                  Counter.fetch_add(1));
    APath = ATarget + Suffix;
    win::UniqueHandle File = win::OwnFileHandle(CreateFileW(
        APath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (File)
      return File;
    if (GetLastError() != ERROR_FILE_EXISTS)
      ThrowSystemError(GetLastError());
  }
  ThrowSystemError(ERROR_FILE_EXISTS);
}

void WriteAll(win::UniqueHandle AFile, std::string_view AData) {
  while (!AData.empty()) {
    const DWORD Chunk = static_cast<DWORD>(std::min<std::size_t>(AData.size(), 1u << 30));
    DWORD Written = 0;
    if (!WriteFile(AFile.get(), AData.data(), Chunk, &Written, nullptr))
      ThrowSystemError(GetLastError());
    if (Written == 0)
      ThrowSystemError(ERROR_WRITE_FAULT);
    AData.remove_prefix(Written);
  }
  // The content must be on the disk before the file takes the target's
  // name, or a crash could leave the new name on an empty file.
  if (!FlushFileBuffers(AFile.get()))
    ThrowSystemError(GetLastError());
  if (!CloseHandle(AFile.release()))
    ThrowSystemError(GetLastError());
}

// ReplaceFileW refuses a read-only target: the attribute is lifted for the
// replacement and given back to the new file afterwards. The others the new
// file inherits on Windows; Wine drops them, so all are set again.
void ReplaceExisting(const std::wstring& ATarget, DWORD AAttributes, TTemporaryFile& AReplacement) {
  const DWORD Original = win::SettableAttributes(AAttributes);
  const bool ReadOnly = (AAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (ReadOnly && !SetFileAttributesW(ATarget.c_str(), win::SettableAttributes(
                                                           AAttributes & ~FILE_ATTRIBUTE_READONLY)))
    ThrowSystemError(GetLastError());
  if (ReplaceFileW(ATarget.c_str(), AReplacement.Path().c_str(), nullptr,
                   REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                   nullptr)) {
    AReplacement.Release();
    SetFileAttributesW(ATarget.c_str(), Original);
    return;
  }
  const DWORD Error = GetLastError();
  // Without a backup name, this error means that the target is gone and the
  // replacement kept its own name: moving it into place leaves the new
  // content, which is as good as the old.
  if (Error == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
      MoveFileExW(AReplacement.Path().c_str(), ATarget.c_str(), MOVEFILE_WRITE_THROUGH)) {
    AReplacement.Release();
    SetFileAttributesW(ATarget.c_str(), Original);
    return;
  }
  if (ReadOnly)
    SetFileAttributesW(ATarget.c_str(), Original);
  ThrowSystemError(Error);
}

} // namespace

void WriteFileAtomically(const std::string& APath, std::string_view AData) {
  const std::wstring Target = win::Widen(APath);
  std::wstring TemporaryPath;
  win::UniqueHandle File = CreateSibling(Target, TemporaryPath);
  TTemporaryFile Replacement(TemporaryPath);
  WriteAll(std::move(File), AData);

  const DWORD Attributes = GetFileAttributesW(Target.c_str());
  if (Attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD Error = GetLastError();
    if (Error != ERROR_FILE_NOT_FOUND)
      ThrowSystemError(Error);
    if (!MoveFileExW(TemporaryPath.c_str(), Target.c_str(), MOVEFILE_WRITE_THROUGH))
      ThrowSystemError(GetLastError());
    Replacement.Release();
    return;
  }
  if (Attributes & FILE_ATTRIBUTE_DIRECTORY)
    ThrowSystemError(ERROR_ACCESS_DENIED);
  ReplaceExisting(Target, Attributes, Replacement);
}

} // namespace tilvane::platform
