#include "platform/StackTrace.h"

#include "platform/WinApi.h"
#include "platform/WinStrings.h"

#include <algorithm>
#include <iterator>

// The compilers spell "never inline" differently; CaptureStack relies on
// having a frame of its own.
#if defined(_MSC_VER)
#define TILVANE_NOINLINE __declspec(noinline)
#else
#define TILVANE_NOINLINE __attribute__((noinline))
#endif

namespace tilvane::platform {

namespace {

constexpr int MaxSkip = 4;

// Static initialisation runs on the thread that starts the process, before
// main(): the thread that will run the user interface.
const std::int64_t GMainThreadId = static_cast<std::int64_t>(GetCurrentThreadId());

// The module holding AAddress, with its file name (no folder) and how far into
// it the address lies. Modules are never unloaded while the program runs, so
// the handle needs no reference of its own.
void AddModuleInfo(TStackFrame& AFrame) {
  HMODULE Module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(AFrame.Address), &Module))
    return;
  wchar_t Path[MAX_PATH];
  const DWORD Length = GetModuleFileNameW(Module, Path, MAX_PATH);
  if (Length > 0 && Length < MAX_PATH) {
    const std::wstring_view Full(Path, Length);
    const std::size_t Slash = Full.find_last_of(L"\\/");
    AFrame.Module = win::Narrow(Slash == std::wstring_view::npos ? Full : Full.substr(Slash + 1));
  }
  // The module handle is the address it was loaded at.
  AFrame.Offset = AFrame.Address - reinterpret_cast<std::uintptr_t>(Module);
}

} // namespace

TILVANE_NOINLINE TRawStack CaptureStack(int ASkip) {
  TRawStack Stack;
  Stack.ThreadId = CurrentThreadId();
  Stack.Time = std::chrono::system_clock::now();
  // The unwinder walks the unwind tables of x64 code, which every function
  // has; frame pointers are not needed. Its first frame is this function's.
  void* Buffer[1 + MaxSkip + MaxStackFrames];
  const ULONG Skip = 1 + static_cast<ULONG>(std::clamp(ASkip, 0, MaxSkip));
  const USHORT Count =
      RtlCaptureStackBackTrace(Skip, static_cast<ULONG>(std::size(Buffer)) - Skip, Buffer, nullptr);
  Stack.Count = std::clamp(static_cast<int>(Count), 0, MaxStackFrames);
  std::copy_n(Buffer, Stack.Count, Stack.Frames.begin());
  return Stack;
}

std::int64_t CurrentThreadId() {
  return static_cast<std::int64_t>(GetCurrentThreadId());
}

std::int64_t MainThreadId() {
  return GMainThreadId;
}

// Windows keeps no function names in the program: without a symbol file
// the module and the offset into it are what a frame can tell, and the
// developer finds the function from the map of that build.
std::vector<TStackFrame> SymbolizeStack(const TRawStack& AStack) {
  std::vector<TStackFrame> Frames;
  Frames.reserve(AStack.Count);
  for (int I = 0; I < AStack.Count; ++I) {
    TStackFrame Frame;
    Frame.Address = reinterpret_cast<std::uintptr_t>(AStack.Frames[I]);
    AddModuleInfo(Frame);
    Frames.push_back(std::move(Frame));
  }
  return Frames;
}

} // namespace tilvane::platform
