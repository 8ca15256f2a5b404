#include "platform/StackTrace.h"

#include <execinfo.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

namespace tilvane::platform {

namespace {

// Frames above the caller's: backtrace() itself or a sanitizer's wrapper of it,
// and CaptureStack. Callers may skip a few more.
constexpr int MaxOwnFrames = 4;
constexpr int MaxSkip = 4;

} // namespace

// Kept out of line so that its return address is the caller's frame.
__attribute__((noinline)) TRawStack CaptureStack(int ASkip) {
  TRawStack Stack;
  Stack.ThreadId = CurrentThreadId();
  Stack.Time = std::chrono::system_clock::now();
  // glibc's backtrace() walks the unwind tables, which works without frame
  // pointers (release builds omit them). The first call in a process loads
  // libgcc_s; every later one only walks.
  void* Buffer[MaxOwnFrames + MaxSkip + MaxStackFrames];
  const int Count = backtrace(Buffer, static_cast<int>(std::size(Buffer)));
  // How many frames lie above the caller depends on the build (AddressSanitizer
  // wraps backtrace()); the caller's frame is the one this function returns to.
  const void* Caller = __builtin_return_address(0);
  int First = 0;
  while (First < std::min(Count, MaxOwnFrames) && Buffer[First] != Caller)
    ++First;
  if (First == std::min(Count, MaxOwnFrames))
    First = 1;
  First += std::clamp(ASkip, 0, MaxSkip);
  Stack.Count = std::clamp(Count - First, 0, MaxStackFrames);
  std::copy_n(Buffer + First, Stack.Count, Stack.Frames.begin());
  return Stack;
}

std::int64_t CurrentThreadId() {
  // gettid() is a system call; a thread asks once.
  thread_local const std::int64_t Id = static_cast<std::int64_t>(syscall(SYS_gettid));
  return Id;
}

std::int64_t MainThreadId() {
  // The first thread of a Linux process has the process's ID as its task ID.
  return static_cast<std::int64_t>(getpid());
}

} // namespace tilvane::platform
