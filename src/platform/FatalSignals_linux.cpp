#include "platform/FatalSignals.h"

#include "platform/SignalSafeText.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>

// Everything the handler does must be async-signal-safe: the process may have
// stopped anywhere, inside malloc or holding any lock. So the handler uses only
// system calls on data prepared at installation (the path, the names, the
// alternate stack) and formats numbers by hand.
namespace tilvane::platform {

namespace {

struct TFatalSignal {
  int Number;
  const char* Name;
  const char* Meaning;
};

constexpr TFatalSignal Signals[] = {
    {SIGSEGV, "SIGSEGV", "invalid memory access"},
    {SIGABRT, "SIGABRT", "aborted"},
    {SIGBUS, "SIGBUS", "bus error"},
    {SIGFPE, "SIGFPE", "arithmetic error"},
    {SIGILL, "SIGILL", "illegal instruction"},
};
constexpr int SignalCount = sizeof Signals / sizeof Signals[0];
constexpr int MaxFrames = 64;

char GReportPath[4096];
struct sigaction GPrevious[SignalCount];
bool GInstalled = false;
// A stack overflow leaves no room on the thread's own stack for the handler.
alignas(16) char GAlternateStack[64 * 1024];

void Write(int AFile, const char* AText, std::size_t ALength) {
  while (ALength > 0) {
    const ssize_t Written = write(AFile, AText, ALength);
    if (Written < 0 && errno == EINTR)
      continue;
    if (Written <= 0)
      return;
    AText += Written;
    ALength -= static_cast<std::size_t>(Written);
  }
}

void Write(int AFile, const char* AText) {
  Write(AFile, AText, signal_safe::Length(AText));
}

// AValue in ABase with at least AMinDigits digits, zeros in front.
void WriteNumber(int AFile, std::uint64_t AValue, unsigned ABase = 10, std::size_t AMinDigits = 1) {
  char Text[signal_safe::NumberTextSize];
  Write(AFile, Text, signal_safe::FormatNumber(Text, AValue, ABase, AMinDigits));
}

// The date of a count of days since 1970-01-01 in the proleptic Gregorian
// calendar (Howard Hinnant's civil_from_days): gmtime may lock or allocate.
void WriteUtcTime(int AFile, std::int64_t ASeconds) {
  const std::int64_t Days = (ASeconds >= 0 ? ASeconds : ASeconds - 86399) / 86400;
  const std::int64_t SecondOfDay = ASeconds - Days * 86400;
  const std::int64_t Z = Days + 719468;
  const std::int64_t Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const std::int64_t DayOfEra = Z - Era * 146097;
  const std::int64_t YearOfEra =
      (DayOfEra - DayOfEra / 1460 + DayOfEra / 36524 - DayOfEra / 146096) / 365;
  const std::int64_t DayOfYear = DayOfEra - (365 * YearOfEra + YearOfEra / 4 - YearOfEra / 100);
  const std::int64_t MonthIndex = (5 * DayOfYear + 2) / 153;
  const std::int64_t Day = DayOfYear - (153 * MonthIndex + 2) / 5 + 1;
  const std::int64_t Month = MonthIndex < 10 ? MonthIndex + 3 : MonthIndex - 9;
  const std::int64_t Year = YearOfEra + Era * 400 + (Month <= 2 ? 1 : 0);
  WriteNumber(AFile, static_cast<std::uint64_t>(Year), 10, 4);
  Write(AFile, "-");
  WriteNumber(AFile, static_cast<std::uint64_t>(Month), 10, 2);
  Write(AFile, "-");
  WriteNumber(AFile, static_cast<std::uint64_t>(Day), 10, 2);
  Write(AFile, " ");
  WriteNumber(AFile, static_cast<std::uint64_t>(SecondOfDay / 3600), 10, 2);
  Write(AFile, ":");
  WriteNumber(AFile, static_cast<std::uint64_t>(SecondOfDay / 60 % 60), 10, 2);
  Write(AFile, ":");
  WriteNumber(AFile, static_cast<std::uint64_t>(SecondOfDay % 60), 10, 2);
  Write(AFile, " UTC");
}

const TFatalSignal* FindSignal(int ANumber) {
  for (const TFatalSignal& Signal : Signals)
    if (Signal.Number == ANumber)
      return &Signal;
  return nullptr;
}

void WriteReport(int AFile, int ASignal, const siginfo_t* AInfo) {
  const TFatalSignal* Signal = FindSignal(ASignal);
  Write(AFile, "Fatal signal: ");
  Write(AFile, Signal ? Signal->Name : "?");
  Write(AFile, " (");
  Write(AFile, Signal ? Signal->Meaning : "?");
  Write(AFile, ")\nTime: ");
  timespec Now{};
  clock_gettime(CLOCK_REALTIME, &Now);
  WriteUtcTime(AFile, Now.tv_sec);
  Write(AFile, "\nProcess ID: ");
  WriteNumber(AFile, static_cast<std::uint64_t>(getpid()));
  Write(AFile, ", thread ID: ");
  WriteNumber(AFile, static_cast<std::uint64_t>(syscall(SYS_gettid)));
  // Only a fault the processor raised has an address; raise() and kill() have none.
  if (AInfo && AInfo->si_code > 0 && ASignal != SIGABRT) {
    Write(AFile, "\nFault address: 0x");
    WriteNumber(AFile, reinterpret_cast<std::uintptr_t>(AInfo->si_addr), 16, 16);
  }
  Write(AFile, "\nStack:\n");
  void* Frames[MaxFrames];
  const int Count = backtrace(Frames, MaxFrames);
  backtrace_symbols_fd(Frames, Count, AFile);
}

void OnFatalSignal(int ASignal, siginfo_t* AInfo, void*) {
  const int SavedErrno = errno;
  const int File = open(GReportPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (File >= 0) {
    WriteReport(File, ASignal, AInfo);
    close(File);
  }
  errno = SavedErrno;
  // The signal is blocked while this handler runs: raised again, it ends the
  // process the default way (with a core file where enabled) as soon as the
  // handler returns.
  struct sigaction Default {};
  Default.sa_handler = SIG_DFL;
  sigemptyset(&Default.sa_mask);
  sigaction(ASignal, &Default, nullptr);
  raise(ASignal);
}

void PrepareAlternateStack() {
  stack_t Current{};
  // Keep a stack that someone else (a sanitizer) already gave this thread.
  if (sigaltstack(nullptr, &Current) == 0 && !(Current.ss_flags & SS_DISABLE))
    return;
  stack_t Stack{};
  Stack.ss_sp = GAlternateStack;
  Stack.ss_size = sizeof GAlternateStack;
  sigaltstack(&Stack, nullptr);
}

} // namespace

bool InstallFatalSignalHandlers(const std::string& AReportPath) {
  if (AReportPath.empty() || AReportPath.size() >= sizeof GReportPath)
    return false;
  AReportPath.copy(GReportPath, AReportPath.size());
  GReportPath[AReportPath.size()] = '\0';
  // The first backtrace() in a process loads libgcc_s, which allocates:
  // done here, the handler's call only walks the stack.
  void* Warm[1];
  backtrace(Warm, 1);
  PrepareAlternateStack();
  if (GInstalled)
    return true;
  struct sigaction Action {};
  Action.sa_sigaction = OnFatalSignal;
  Action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&Action.sa_mask);
  for (int I = 0; I < SignalCount; ++I) {
    if (sigaction(Signals[I].Number, &Action, &GPrevious[I]) != 0) {
      for (int J = 0; J < I; ++J)
        sigaction(Signals[J].Number, &GPrevious[J], nullptr);
      return false;
    }
  }
  GInstalled = true;
  return true;
}

void RemoveFatalSignalHandlers() {
  if (!GInstalled)
    return;
  for (int I = 0; I < SignalCount; ++I)
    sigaction(Signals[I].Number, &GPrevious[I], nullptr);
  GInstalled = false;
}

} // namespace tilvane::platform
