#include "platform/FatalSignals.h"

#include "platform/SignalSafeText.h"
#include "platform/WinApi.h"

#include <csignal>
#include <cstdint>
#include <iterator>

// The handlers run in a process that may have stopped anywhere, inside the
// heap or holding any lock. So they use only system calls on data prepared
// at installation (the path, the names) and format numbers by hand.
namespace tilvane::platform {

namespace {

struct TFatalException {
  DWORD Code;
  const char* Name;
  const char* Meaning;
};

constexpr TFatalException Exceptions[] = {
    {EXCEPTION_ACCESS_VIOLATION, "EXCEPTION_ACCESS_VIOLATION", "invalid memory access"},
    {EXCEPTION_IN_PAGE_ERROR, "EXCEPTION_IN_PAGE_ERROR", "page could not be read"},
    {EXCEPTION_STACK_OVERFLOW, "EXCEPTION_STACK_OVERFLOW", "stack overflow"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, "EXCEPTION_ILLEGAL_INSTRUCTION", "illegal instruction"},
    {EXCEPTION_PRIV_INSTRUCTION, "EXCEPTION_PRIV_INSTRUCTION", "illegal instruction"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, "EXCEPTION_INT_DIVIDE_BY_ZERO", "arithmetic error"},
    {EXCEPTION_INT_OVERFLOW, "EXCEPTION_INT_OVERFLOW", "arithmetic error"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, "EXCEPTION_FLT_DIVIDE_BY_ZERO", "arithmetic error"},
    {EXCEPTION_FLT_INVALID_OPERATION, "EXCEPTION_FLT_INVALID_OPERATION", "arithmetic error"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, "EXCEPTION_DATATYPE_MISALIGNMENT", "misaligned access"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED", "array bounds exceeded"},
    {0xE06D7363, "C++ exception", "an error nothing caught"},
};
constexpr int MaxFrames = 64;

wchar_t GReportPath[4096];
LPTOP_LEVEL_EXCEPTION_FILTER GPreviousFilter = nullptr;
using TSignalHandler = void (*)(int);
TSignalHandler GPreviousAbort = SIG_DFL;
bool GInstalled = false;

void Write(HANDLE AFile, const char* AText, std::size_t ALength) {
  DWORD Written = 0;
  WriteFile(AFile, AText, static_cast<DWORD>(ALength), &Written, nullptr);
}

void Write(HANDLE AFile, const char* AText) {
  Write(AFile, AText, signal_safe::Length(AText));
}

// AValue in ABase with at least AMinDigits digits, zeros in front.
void WriteNumber(HANDLE AFile, std::uint64_t AValue, unsigned ABase = 10,
                 std::size_t AMinDigits = 1) {
  char Text[signal_safe::NumberTextSize];
  Write(AFile, Text, signal_safe::FormatNumber(Text, AValue, ABase, AMinDigits));
}

void WriteUtcTime(HANDLE AFile) {
  SYSTEMTIME Now{};
  GetSystemTime(&Now);
  const WORD Parts[] = {Now.wYear, Now.wMonth, Now.wDay, Now.wHour, Now.wMinute, Now.wSecond};
  const char* const Separators[] = {"-", "-", " ", ":", ":", " UTC"};
  for (int I = 0; I < 6; ++I) {
    WriteNumber(AFile, Parts[I], 10, I == 0 ? 4 : 2);
    Write(AFile, Separators[I]);
  }
}

// "module(+0xoffset)[0xaddress]", as glibc writes a frame on Linux. The
// module's name is looked up without taking a reference; the loader's lock
// may be held by the crashed thread, which would stop the report here rather
// than end it wrongly.
void WriteFrame(HANDLE AFile, void* AAddress) {
  HMODULE Module = nullptr;
  wchar_t Path[MAX_PATH];
  DWORD PathLength = 0;
  if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(AAddress), &Module))
    PathLength = GetModuleFileNameW(Module, Path, MAX_PATH);
  if (PathLength > 0 && PathLength < MAX_PATH) {
    DWORD Start = PathLength;
    while (Start > 0 && Path[Start - 1] != L'\\' && Path[Start - 1] != L'/')
      --Start;
    char Name[MAX_PATH * 3];
    const int NameLength = WideCharToMultiByte(CP_UTF8, 0, Path + Start, PathLength - Start, Name,
                                               sizeof Name, nullptr, nullptr);
    Write(AFile, Name, NameLength > 0 ? static_cast<std::size_t>(NameLength) : 0);
    Write(AFile, "(+0x");
    WriteNumber(
        AFile,
        reinterpret_cast<std::uintptr_t>(AAddress) - reinterpret_cast<std::uintptr_t>(Module), 16);
    Write(AFile, ")");
  }
  Write(AFile, "[0x");
  WriteNumber(AFile, reinterpret_cast<std::uintptr_t>(AAddress), 16, 16);
  Write(AFile, "]\n");
}

// The report's first line and the fault's details; the rest is the same for
// exceptions and signals.
template <typename TWriteHeader> void WriteReport(TWriteHeader AWriteHeader) {
  const win::UniqueHandle File = win::OwnFileHandle(CreateFileW(
      GReportPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!File)
    return;
  AWriteHeader(File.get());
  Write(File.get(), "Time: ");
  WriteUtcTime(File.get());
  Write(File.get(), "\nProcess ID: ");
  WriteNumber(File.get(), GetCurrentProcessId());
  Write(File.get(), ", thread ID: ");
  WriteNumber(File.get(), GetCurrentThreadId());
  Write(File.get(), "\nStack:\n");
  void* Frames[MaxFrames];
  const USHORT Count = RtlCaptureStackBackTrace(0, MaxFrames, Frames, nullptr);
  for (USHORT I = 0; I < Count; ++I)
    WriteFrame(File.get(), Frames[I]);
  FlushFileBuffers(File.get());
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* AInfo) {
  const EXCEPTION_RECORD* Record = AInfo ? AInfo->ExceptionRecord : nullptr;
  WriteReport([Record](HANDLE AFile) {
    const DWORD Code = Record ? Record->ExceptionCode : 0;
    const TFatalException* Known = nullptr;
    for (const TFatalException& Exception : Exceptions)
      if (Exception.Code == Code)
        Known = &Exception;
    Write(AFile, "Fatal exception: ");
    if (Known) {
      Write(AFile, Known->Name);
      Write(AFile, " (");
      Write(AFile, Known->Meaning);
      Write(AFile, ")");
    } else {
      Write(AFile, "0x");
      WriteNumber(AFile, Code, 16, 8);
    }
    Write(AFile, "\n");
    if (Record) {
      Write(AFile, "Instruction address: 0x");
      WriteNumber(AFile, reinterpret_cast<std::uintptr_t>(Record->ExceptionAddress), 16, 16);
      Write(AFile, "\n");
    }
    // The address that could not be read or written.
    if (Record && (Code == EXCEPTION_ACCESS_VIOLATION || Code == EXCEPTION_IN_PAGE_ERROR) &&
        Record->NumberParameters >= 2) {
      Write(AFile, "Fault address: 0x");
      WriteNumber(AFile, Record->ExceptionInformation[1], 16, 16);
      Write(AFile, "\n");
    }
  });
  // The system's own handling follows: the error report, then the end.
  return GPreviousFilter ? GPreviousFilter(AInfo) : EXCEPTION_CONTINUE_SEARCH;
}

// abort() and std::terminate() end in SIGABRT, which no exception shows.
void OnAbort(int ASignal) {
  WriteReport([](HANDLE AFile) { Write(AFile, "Fatal signal: SIGABRT (aborted)\n"); });
  std::signal(ASignal, SIG_DFL);
  std::raise(ASignal);
}

} // namespace

bool InstallFatalSignalHandlers(const std::string& AReportPath) {
  if (AReportPath.empty())
    return false;
  const int Length =
      MultiByteToWideChar(CP_UTF8, 0, AReportPath.data(), static_cast<int>(AReportPath.size()),
                          GReportPath, static_cast<int>(std::size(GReportPath)) - 1);
  if (Length <= 0)
    return false;
  GReportPath[Length] = L'\0';
  // A stack overflow leaves the handler no room on the thread's own stack
  // unless some is kept back for it.
  ULONG Reserve = 64 * 1024;
  SetThreadStackGuarantee(&Reserve);
  if (GInstalled)
    return true;
  const TSignalHandler Previous = std::signal(SIGABRT, OnAbort);
  if (Previous == SIG_ERR)
    return false;
  GPreviousAbort = Previous;
  GPreviousFilter = SetUnhandledExceptionFilter(OnUnhandledException);
  GInstalled = true;
  return true;
}

void RemoveFatalSignalHandlers() {
  if (!GInstalled)
    return;
  SetUnhandledExceptionFilter(GPreviousFilter);
  std::signal(SIGABRT, GPreviousAbort);
  GPreviousFilter = nullptr;
  GInstalled = false;
}

} // namespace tilvane::platform
