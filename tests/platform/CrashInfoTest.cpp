#include "platform/LinuxSystemInfoParsing.h"
#include "platform/StackTrace.h"
#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tilvane::platform {
namespace {

using namespace linux_parsing;

// The processor features as the report's order names them, for comparing.
std::string FeatureNames(const TProcessorFeatures& F) {
  std::string Names;
  const std::pair<bool, const char*> All[] = {
      {F.FdivBug, " FdivBug"}, {F.MMXExt, " MMXExt"}, {F.MMX, " MMX"},
      {F.SSE, " SSE"},         {F.SSE2, " SSE2"},     {F.SSE3, " SSE3"},
      {F.SSSE3, " SSSE3"},     {F.SSE41, " SSE41"},   {F.SSE42, " SSE42"},
      {F.SSE4A, " SSE4A"},     {F.SSE5, " SSE5"},     {F.ThreeDNowExt, " 3DNowExt"},
      {F.ThreeDNow, " 3DNow"}, {F.Bits64, " 64"},     {F.DEP, " DEP"},
  };
  for (const auto& [Present, Name] : All)
    if (Present)
      Names += Name;
  return Names;
}

TEST(CrashInfoTest, ProcessorFromCpuInfo) {
  const struct {
    const char* CpuInfo;
    bool Found;
    const char* Vendor;
    const char* Name;
    int MHz;
    const char* Features;
  } Cases[] = {
      // Only the first processor counts; its flags end at the first empty line.
      {"processor\t: 0\nvendor_id\t: AuthenticAMD\nmodel name\t: AMD Phenom(tm) II X4 965\n"
       "cpu MHz\t\t: 3399.650\nflags\t\t: fpu mmx fxsr sse sse2 ht syscall nx mmxext lm 3dnowext "
       "3dnow pni cx16 sse4a 3dnowprefetch\n\nprocessor\t: 1\nflags\t\t: ssse3 sse4_1\n",
       true, "AuthenticAMD", "AMD Phenom(tm) II X4 965", 3400,
       " MMXExt MMX SSE SSE2 SSE3 SSE4A 3DNowExt 3DNow 64 DEP"},
      {"\nprocessor : 0\nvendor_id : GenuineIntel\nmodel name : Intel(R) Core(TM) i7-8700 CPU @ "
       "3.20GHz\ncpu MHz : 800.002\nflags : fpu mmx sse sse2 pni ssse3 sse4_1 sse4_2 lm nx avx2\n",
       true, "GenuineIntel", "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", 800,
       " MMX SSE SSE2 SSE3 SSSE3 SSE41 SSE42 64 DEP"},
      {"processor : 0\nvendor_id : GenuineIntel\nmodel name : Pentium 60\nfdiv_bug : yes\n"
       "flags : fpu\n",
       true, "GenuineIntel", "Pentium 60", 0, " FdivBug"},
      {"processor : 0\nBogoMIPS : 108.00\nFeatures : fp asimd\nCPU implementer : 0x41\n", false, "",
       "", 0, ""},
      {"", false, "", "", 0, ""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.CpuInfo);
    const std::optional<TProcessorInfo> Info = ProcessorFromCpuInfo(C.CpuInfo);
    ASSERT_EQ(Info.has_value(), C.Found);
    if (!Info)
      continue;
    EXPECT_EQ(Info->Vendor, C.Vendor);
    EXPECT_EQ(Info->Name, C.Name);
    EXPECT_EQ(Info->MHz, C.MHz);
    EXPECT_EQ(FeatureNames(Info->Features), C.Features);
  }
}

TEST(CrashInfoTest, MemoryAndKernelVersion) {
  const auto Memory = MemoryFromMemInfo("MemTotal:       16318696 kB\nMemFree:         1034460 kB\n"
                                        "MemAvailable:    9573444 kB\n");
  ASSERT_TRUE(Memory);
  EXPECT_EQ(Memory->TotalBytes, 16710344704u);
  EXPECT_EQ(Memory->FreeBytes, 9803206656u);
  // Kernels before 3.14 have no MemAvailable.
  const auto Old = MemoryFromMemInfo("MemTotal: 2048 kB\nMemFree: 1024 kB\n");
  ASSERT_TRUE(Old);
  EXPECT_EQ(Old->FreeBytes, 1048576u);
  EXPECT_FALSE(MemoryFromMemInfo("MemFree: 1024 kB\n"));

  const struct {
    const char* Release;
    int Major, Minor;
    unsigned Patch;
  } Releases[] = {
      {"6.1.0-18-amd64", 6, 1, 0},          {"6.18.44-fc-v1478", 6, 18, 44},
      {"5.15.153.1-microsoft", 5, 15, 153}, {"4.19", 4, 19, 0},
      {"3.10.0-1160.el7.x86_64", 3, 10, 0}, {"", 0, 0, 0},
  };
  for (const auto& R : Releases) {
    const TKernelVersion Version = KernelVersionFromRelease(R.Release);
    EXPECT_EQ(Version.Major, R.Major) << R.Release;
    EXPECT_EQ(Version.Minor, R.Minor) << R.Release;
    EXPECT_EQ(Version.Patch, R.Patch) << R.Release;
  }
}

__attribute__((noinline)) TRawStack CaptureInNamedFunction() {
  TRawStack Stack = CaptureStack();
  // Keeps the call from becoming a jump, which would take this frame away.
  asm volatile("" ::: "memory");
  return Stack;
}

TEST(CrashInfoTest, StackStartsAtTheCapturingFunction) {
  const TRawStack Stack = CaptureInNamedFunction();
  EXPECT_EQ(Stack.ThreadId, MainThreadId());
  ASSERT_GE(Stack.Count, 2);
  const std::vector<TStackFrame> Frames = SymbolizeStack(Stack);
  ASSERT_FALSE(Frames.empty());
  EXPECT_EQ(Frames.front().Function,
            "tilvane::platform::(anonymous namespace)::CaptureInNamedFunction()");
  EXPECT_EQ(Frames.front().File, "CrashInfoTest.cpp");
  EXPECT_EQ(Frames.front().Module, "test_platform_crash_info");
  const std::string Line = FormatStackFrame(Frames.front());
  EXPECT_EQ(Line.substr(0, 1), "[");
  EXPECT_NE(Line.find("] test_platform_crash_info  tilvane::platform::(anonymous namespace)::"
                      "CaptureInNamedFunction() (CrashInfoTest.cpp:"),
            std::string::npos)
      << Line;
}

TEST(CrashInfoTest, ThreadsAndModulesOfThisProcess) {
  const std::vector<TThreadInfo> Threads = ListThreads();
  const auto Main = std::find_if(Threads.begin(), Threads.end(),
                                 [](const TThreadInfo& T) { return T.Id == MainThreadId(); });
  ASSERT_NE(Main, Threads.end());
  // The kernel cuts thread names to 15 bytes.
  EXPECT_EQ(Main->Name, "test_platform_c");

  const std::vector<TModuleInfo> Modules = ListModules();
  ASSERT_FALSE(Modules.empty());
  EXPECT_EQ(Modules.front().Path.substr(Modules.front().Path.rfind('/') + 1),
            "test_platform_crash_info");
  EXPECT_TRUE(std::any_of(Modules.begin(), Modules.end(), [](const TModuleInfo& M) {
    return M.Path.find("/libc.so.6") != std::string::npos && M.BaseAddress != 0;
  }));
}

} // namespace
} // namespace tilvane::platform
