#include "platform/SystemInfo.h"

#include "platform/WinApi.h"
#include "platform/WinStrings.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace tilvane::platform {

namespace {

// Calls AVisit for every entry of a Toolhelp snapshot of this process. False
// when the snapshot could not be taken or not be read to its end.
template <typename TEntry, typename TFirst, typename TNext, typename TVisit>
bool WalkSnapshot(DWORD AKind, TFirst AFirst, TNext ANext, TVisit AVisit) {
  const win::UniqueHandle Snapshot =
      win::OwnFileHandle(CreateToolhelp32Snapshot(AKind, GetCurrentProcessId()));
  if (!Snapshot)
    return false;
  TEntry Entry{};
  Entry.dwSize = sizeof Entry;
  for (BOOL More = AFirst(Snapshot.get(), &Entry); More; More = ANext(Snapshot.get(), &Entry))
    AVisit(Entry);
  return GetLastError() == ERROR_NO_MORE_FILES;
}

// GetThreadDescription exists from Windows 10 version 1607 on: looked up at
// run time, so that the program still starts on older systems.
std::string ThreadName(DWORD AThreadId) {
  using TGetThreadDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  static const auto Get = win::GetProc<TGetThreadDescription>(GetModuleHandleW(L"kernel32.dll"),
                                                              "GetThreadDescription");
  if (!Get)
    return {};
  const win::UniqueHandle Thread(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, AThreadId));
  if (!Thread)
    return {};
  wchar_t* Description = nullptr;
  const HRESULT Result = Get(Thread.get(), &Description);
  const win::UniqueLocalString Owned(Description);
  return SUCCEEDED(Result) && Owned ? win::Narrow(Owned.get()) : std::string();
}

std::wstring ReadString(HKEY AKey, const wchar_t* AName) {
  wchar_t Buffer[256];
  DWORD Bytes = sizeof Buffer;
  if (RegGetValueW(AKey, nullptr, AName, RRF_RT_REG_SZ, nullptr, Buffer, &Bytes) != ERROR_SUCCESS)
    return {};
  return std::wstring(Buffer, wcsnlen(Buffer, std::size(Buffer)));
}

// Leading and trailing blanks: Intel pads its processor names at the front.
std::string Trimmed(const std::wstring& AText) {
  const std::size_t First = AText.find_first_not_of(L' ');
  if (First == std::wstring::npos)
    return {};
  return win::Narrow(AText.substr(First, AText.find_last_not_of(L' ') - First + 1));
}

TProcessorFeatures ProcessorFeatures() {
  TProcessorFeatures F;
  F.FdivBug = IsProcessorFeaturePresent(PF_FLOATING_POINT_PRECISION_ERRATA);
  F.MMX = IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE);
  F.SSE = IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE);
  F.SSE2 = IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE);
  F.SSE3 = IsProcessorFeaturePresent(PF_SSE3_INSTRUCTIONS_AVAILABLE);
  F.SSSE3 = IsProcessorFeaturePresent(PF_SSSE3_INSTRUCTIONS_AVAILABLE);
  F.SSE41 = IsProcessorFeaturePresent(PF_SSE4_1_INSTRUCTIONS_AVAILABLE);
  F.SSE42 = IsProcessorFeaturePresent(PF_SSE4_2_INSTRUCTIONS_AVAILABLE);
  F.ThreeDNow = IsProcessorFeaturePresent(PF_3DNOW_INSTRUCTIONS_AVAILABLE);
  F.DEP = IsProcessorFeaturePresent(PF_NX_ENABLED);
  // Windows does not report AMD's extensions (MMXExt, SSE4A, SSE5,
  // 3DNowExt); they stay unnamed rather than guessed.
  BOOL Wow64 = FALSE;
  F.Bits64 = sizeof(void*) == 8 || (IsWow64Process(GetCurrentProcess(), &Wow64) && Wow64);
  return F;
}

} // namespace

std::vector<TThreadInfo> ListThreads() {
  std::vector<TThreadInfo> Threads;
  const DWORD Process = GetCurrentProcessId();
  // The thread snapshot holds the threads of every process.
  const bool Complete = WalkSnapshot<THREADENTRY32>(
      TH32CS_SNAPTHREAD, Thread32First, Thread32Next, [&](const THREADENTRY32& AEntry) {
        if (AEntry.th32OwnerProcessID == Process)
          Threads.push_back(TThreadInfo{AEntry.th32ThreadID, ThreadName(AEntry.th32ThreadID)});
      });
  if (!Complete)
    return {};
  std::sort(Threads.begin(), Threads.end(),
            [](const TThreadInfo& A_, const TThreadInfo& AB) { return A_.Id < AB.Id; });
  return Threads;
}

std::optional<TSystemInfo> GetSystemInfo() {
  // GetVersionExW tells a program without a compatibility manifest that it
  // runs on Windows 8; ntdll's own entry tells the truth.
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  const auto RtlGetVersion =
      win::GetProc<TRtlGetVersion>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  OSVERSIONINFOEXW Version{};
  Version.dwOSVersionInfoSize = sizeof Version;
  if (!RtlGetVersion || RtlGetVersion(&Version) != 0)
    return std::nullopt;
  const char* Type = Version.wProductType == VER_NT_WORKSTATION         ? "Workstation"
                     : Version.wProductType == VER_NT_DOMAIN_CONTROLLER ? "Domain controller"
                                                                        : "Server";
  return TSystemInfo{"Windows",
                     Type,
                     static_cast<int>(Version.dwMajorVersion),
                     static_cast<int>(Version.dwMinorVersion),
                     Version.dwBuildNumber,
                     win::Narrow(Version.szCSDVersion)};
}

std::optional<TProcessorInfo> GetProcessorInfo() {
  HKEY Key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", 0,
                    KEY_QUERY_VALUE, &Key) != ERROR_SUCCESS)
    return std::nullopt;
  const win::UniqueKey Owned(Key);
  TProcessorInfo Info;
  Info.Vendor = Trimmed(ReadString(Key, L"VendorIdentifier"));
  Info.Name = Trimmed(ReadString(Key, L"ProcessorNameString"));
  DWORD MHz = 0;
  DWORD Bytes = sizeof MHz;
  if (RegGetValueW(Key, nullptr, L"~MHz", RRF_RT_REG_DWORD, nullptr, &MHz, &Bytes) == ERROR_SUCCESS)
    Info.MHz = static_cast<int>(MHz);
  Info.Features = ProcessorFeatures();
  return Info;
}

std::optional<TMemoryInfo> GetMemoryInfo() {
  MEMORYSTATUSEX Status{};
  Status.dwLength = sizeof Status;
  if (!GlobalMemoryStatusEx(&Status))
    return std::nullopt;
  return TMemoryInfo{Status.ullTotalPhys, Status.ullAvailPhys};
}

std::vector<TModuleInfo> ListModules() {
  std::vector<TModuleInfo> Modules;
  // The loader lists the executable first.
  const bool Complete = WalkSnapshot<MODULEENTRY32W>(
      TH32CS_SNAPMODULE, Module32FirstW, Module32NextW, [&](const MODULEENTRY32W& AEntry) {
        Modules.push_back(TModuleInfo{reinterpret_cast<std::uintptr_t>(AEntry.modBaseAddr),
                                      win::Narrow(AEntry.szExePath)});
      });
  if (!Complete)
    return {};
  return Modules;
}

} // namespace tilvane::platform
