#include "platform/FatalSignals.h"
#include "platform/StackTrace.h"
#include "platform/SystemInfo.h"

#include "WindowsTestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <thread>

#if defined(_MSC_VER)
#define TILVANE_NOINLINE __declspec(noinline)
#else
#define TILVANE_NOINLINE __attribute__((noinline))
#endif

namespace tilvane::platform {
namespace {

bool EndsWith(const std::string& AText, const std::string& AEnd) {
  return AText.size() >= AEnd.size() &&
         std::equal(AEnd.rbegin(), AEnd.rend(), AText.rbegin(), [](char A, char B) {
           return std::tolower(static_cast<unsigned char>(A)) ==
                  std::tolower(static_cast<unsigned char>(B));
         });
}

volatile int GZero = 0;

TILVANE_NOINLINE TRawStack CaptureInNamedFunction() {
  TRawStack Stack = CaptureStack();
  // Work after the call keeps it from becoming a jump, which would take this
  // frame away.
  Stack.Count += GZero;
  return Stack;
}

TEST(WindowsCrashInfoTest, StackStartsAtTheCapturingFunction) {
  const TRawStack Stack = CaptureInNamedFunction();
  EXPECT_EQ(Stack.ThreadId, MainThreadId());
  ASSERT_GE(Stack.Count, 2);
  // The first frame returns into the function that captured.
  const auto Start = reinterpret_cast<std::uintptr_t>(&CaptureInNamedFunction);
  const auto First = reinterpret_cast<std::uintptr_t>(Stack.Frames[0]);
  EXPECT_GT(First, Start);
  EXPECT_LT(First - Start, 256u);

  const std::vector<TStackFrame> Frames = SymbolizeStack(Stack);
  ASSERT_EQ(Frames.size(), static_cast<std::size_t>(Stack.Count));
  EXPECT_EQ(Frames.front().Module, "test_platform_windows.exe");
  EXPECT_NE(Frames.front().Offset, 0u);
  const std::string Line = FormatStackFrame(Frames.front());
  EXPECT_NE(Line.find("] test_platform_windows.exe + 0x"), std::string::npos) << Line;
}

TEST(WindowsCrashInfoTest, ThreadsAndModulesOfThisProcess) {
  std::vector<TThreadInfo> Threads;
  std::int64_t WorkerId = 0;
  std::thread Worker([&] {
    // MinGW's headers lack SetThreadDescription; kernel32 has it.
    using TSetThreadDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const auto Set = reinterpret_cast<TSetThreadDescription>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (Set)
      Set(GetCurrentThread(), L"tilvane-worker");
    WorkerId = CurrentThreadId();
    Threads = ListThreads();
  });
  Worker.join();
  const auto Find = [&Threads](std::int64_t AId) {
    return std::find_if(Threads.begin(), Threads.end(),
                        [AId](const TThreadInfo& T) { return T.Id == AId; });
  };
  EXPECT_NE(Find(MainThreadId()), Threads.end());
  ASSERT_NE(Find(WorkerId), Threads.end());
  EXPECT_EQ(Find(WorkerId)->Name, "tilvane-worker");

  const std::vector<TModuleInfo> Modules = ListModules();
  ASSERT_FALSE(Modules.empty());
  EXPECT_TRUE(EndsWith(Modules.front().Path, "\\test_platform_windows.exe"))
      << Modules.front().Path;
  EXPECT_TRUE(std::any_of(Modules.begin(), Modules.end(), [](const TModuleInfo& M) {
    return EndsWith(M.Path, "\\ntdll.dll") && M.BaseAddress != 0;
  }));
}

TEST(WindowsCrashInfoTest, SystemProcessorAndMemory) {
  const std::optional<TSystemInfo> System = GetSystemInfo();
  ASSERT_TRUE(System.has_value());
  EXPECT_EQ(System->Name, "Windows");
  EXPECT_EQ(System->ProductType, "Workstation");
  EXPECT_GE(System->MajorVersion, 10); // the oldest system Qt 6 runs on

  const std::optional<TProcessorInfo> Processor = GetProcessorInfo();
  ASSERT_TRUE(Processor.has_value());
  EXPECT_FALSE(Processor->Vendor.empty());
  // Every x64 processor has these.
  EXPECT_TRUE(Processor->Features.SSE2);
  EXPECT_TRUE(Processor->Features.Bits64);

  const std::optional<TMemoryInfo> Memory = GetMemoryInfo();
  ASSERT_TRUE(Memory.has_value());
  EXPECT_GT(Memory->TotalBytes, 0u);
  EXPECT_LE(Memory->FreeBytes, Memory->TotalBytes);
}

// A child process installs the handlers and dies; the parent reads what it
// left. The crash happens on a thread of its own, where no handler of the
// test framework catches it first.
TEST(WindowsCrashInfoTest, FatalErrorLeavesAReport) {
  const struct {
    const char* FirstLine;
    void (*Die)();
    int ExitCode;
  } Cases[] = {
      {"Fatal exception: EXCEPTION_ACCESS_VIOLATION (invalid memory access)\n",
       [] { *static_cast<volatile int*>(nullptr) = 1; }, static_cast<int>(0xC0000005)},
      {"Fatal signal: SIGABRT (aborted)\n", [] { std::abort(); }, 3},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.FirstLine);
    test::TTestFolder Folder("tilvane-test-fatal-error");
    const std::string Path = Folder.Utf8(u8"crash-report.txt");
    EXPECT_EXIT(
        {
          // No error box and no debugger: the report is all there is.
          SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
          if (!InstallFatalSignalHandlers(Path))
            std::exit(5);
          std::thread(C.Die).join();
        },
        testing::ExitedWithCode(C.ExitCode), "");
    const std::string Report = test::ReadFile(Folder.Path(u8"crash-report.txt"));
    EXPECT_EQ(Report.substr(0, std::string(C.FirstLine).size()), C.FirstLine) << Report;
    EXPECT_NE(Report.find("\nTime: "), std::string::npos) << Report;
    EXPECT_NE(Report.find("test_platform_windows.exe(+0x"), std::string::npos) << Report;
  }
}

} // namespace
} // namespace tilvane::platform
