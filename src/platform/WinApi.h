#pragma once

// What the Windows sources share: owners for the handles of the Windows API,
// so that every early return and every exception closes what was opened.
// Included by the Windows sources only.
#include <windows.h>
// CoTaskMemFree; WIN32_LEAN_AND_MEAN leaves COM out of windows.h.
#include <objbase.h>

#include <memory>
#include <type_traits>

namespace tilvane::platform::win {

struct HandleCloser {
  void operator()(HANDLE AHandle) const {
    if (AHandle && AHandle != INVALID_HANDLE_VALUE)
      CloseHandle(AHandle);
  }
};
// For kernel handles (files, snapshots, processes). Functions that report
// failure with INVALID_HANDLE_VALUE need that checked before taking ownership.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

struct KeyCloser {
  void operator()(HKEY AKey) const { RegCloseKey(AKey); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct CoTaskMemFreer {
  void operator()(void* AMemory) const { CoTaskMemFree(AMemory); }
};
// Strings the shell allocates for the caller (SHGetKnownFolderPath).
using UniqueCoTaskString = std::unique_ptr<wchar_t, CoTaskMemFreer>;

struct LocalFreer {
  void operator()(void* AMemory) const { LocalFree(AMemory); }
};
// Buffers the system allocates with LocalAlloc (FormatMessageW).
using UniqueLocalString = std::unique_ptr<wchar_t, LocalFreer>;

struct ModuleFreer {
  void operator()(HMODULE AModule) const { FreeLibrary(AModule); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

// An entry of a library loaded at run time, as the function type it has.
// FARPROC is a placeholder type; the detour through void* keeps GCC from
// warning about the cast between function types.
template <typename TFunction> TFunction GetProc(HMODULE AModule, const char* AName) {
  return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(AModule, AName)));
}

// A handle from a function that reports failure with INVALID_HANDLE_VALUE
// (CreateFileW, CreateToolhelp32Snapshot); null when it failed.
inline UniqueHandle OwnFileHandle(HANDLE AHandle) {
  return UniqueHandle(AHandle == INVALID_HANDLE_VALUE ? nullptr : AHandle);
}

// AAttributes without those that SetFileAttributesW does not take (they
// describe the file rather than set it); FILE_ATTRIBUTE_NORMAL when none is left.
inline DWORD SettableAttributes(DWORD AAttributes) {
  constexpr DWORD Settable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_TEMPORARY;
  const DWORD Result = AAttributes & Settable;
  return Result == 0 ? FILE_ATTRIBUTE_NORMAL : Result;
}

} // namespace tilvane::platform::win
