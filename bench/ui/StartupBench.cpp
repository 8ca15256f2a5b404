// The program's start-up, from starting its process to its first painted
// main window, on an X server without a screen (Xvfb), with FS25 installed
// and three mod folders; and the process's peak memory. Targets: 500 ms and
// 80 MB. Each repetition starts the program anew (tilvane_startup_probe, the
// program ending at its first paint); one untimed start warms the caches.
// StartupAgainstBareQt starts the program and a bare Qt window
// (tilvane_bare_qt_probe) in turn under the same X server and reports both
// medians and their ratio; the target is 1.2 at most.
#include "ShowcaseSetup.h"
#include "SilentPrompts.h"
#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace tilvane;
using TClock = std::chrono::steady_clock;

using tools::TSilentPrompts;

// A home folder of the benchmark's own, where the program finds FS25 and
// the three mod folders of the screenshots.
void PrepareHome(const QString& AHome) {
  setenv("HOME", QFile::encodeName(AHome).constData(), 1);
  for (const char* Name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    unsetenv(Name);
  std::unique_ptr<platform::IPlatform> Platform = platform::CreateSystemPlatform();
  TSilentPrompts Prompts;
  TdmMain DataModule(*Platform, Prompts);
  tools::WriteShowcaseSetup(DataModule, AHome);
}

pid_t Spawn(const std::vector<std::string>& AArguments, int AOutput = -1) {
  std::vector<char*> Argv;
  for (const std::string& Argument : AArguments)
    Argv.push_back(const_cast<char*>(Argument.c_str()));
  Argv.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  if (AOutput >= 0)
    posix_spawn_file_actions_adddup2(&Actions, AOutput, STDOUT_FILENO);
  pid_t Pid = -1;
  if (posix_spawn(&Pid, Argv[0], &Actions, nullptr, Argv.data(), environ) != 0)
    Pid = -1;
  posix_spawn_file_actions_destroy(&Actions);
  return Pid;
}

// An X server of the benchmark's own for as long as it runs.
class TXvfb {
public:
  TXvfb() {
    for (int Display = 91; Display < 120; ++Display) {
      const std::string Socket = "/tmp/.X11-unix/X" + std::to_string(Display);
      const std::string Lock = "/tmp/.X" + std::to_string(Display) + "-lock";
      if (access(Socket.c_str(), F_OK) == 0 || access(Lock.c_str(), F_OK) == 0)
        continue;
      FPid = Spawn({"/usr/bin/Xvfb", ":" + std::to_string(Display), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp"});
      for (int I = 0; I < 500 && FPid > 0 && access(Socket.c_str(), F_OK) != 0; ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (FPid > 0 && access(Socket.c_str(), F_OK) == 0)
        FDisplay = ":" + std::to_string(Display);
      return;
    }
  }
  ~TXvfb() {
    if (FPid > 0) {
      kill(FPid, SIGTERM);
      waitpid(FPid, nullptr, 0);
    }
  }
  const std::string& Display() const { return FDisplay; }

private:
  pid_t FPid = -1;
  std::string FDisplay;
};

struct TStart {
  double Milliseconds = -1;
  double PeakMB = -1;
};

// Starts a probe (the program by default) and waits for its first painted
// window.
TStart StartOnce(const char* AProbe = TILVANE_STARTUP_PROBE) {
  int Pipe[2];
  if (pipe(Pipe) != 0)
    return {};
  const TClock::time_point Begin = TClock::now();
  const pid_t Pid = Spawn({AProbe}, Pipe[1]);
  close(Pipe[1]);
  TStart Start;
  std::string Output;
  char Buffer[256];
  ssize_t Read;
  while ((Read = read(Pipe[0], Buffer, sizeof Buffer)) > 0) {
    Output.append(Buffer, static_cast<size_t>(Read));
    if (Output.find("painted\n") != std::string::npos) {
      Start.Milliseconds = std::chrono::duration<double, std::milli>(TClock::now() - Begin).count();
      break;
    }
  }
  close(Pipe[0]);
  int Status = 0;
  rusage Usage{};
  if (Pid > 0 && wait4(Pid, &Status, 0, &Usage) == Pid)
    Start.PeakMB = static_cast<double>(Usage.ru_maxrss) / 1024.0; // kB
  return Start;
}

// The X server and the home folder, shared by both benchmarks; false when
// there is no X server.
bool Prepare() {
  static TXvfb Xvfb;
  static QTemporaryDir Home;
  if (Xvfb.Display().empty() || !Home.isValid())
    return false;
  static const bool Prepared = [] {
    PrepareHome(Home.path());
    setenv("DISPLAY", Xvfb.Display().c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("WAYLAND_DISPLAY");
    // untimed: the libraries into the page cache
    StartOnce(TILVANE_BARE_QT_PROBE);
    StartOnce();
    return true;
  }();
  return Prepared;
}

double Median(std::vector<double> AValues) {
  std::sort(AValues.begin(), AValues.end());
  const size_t Middle = AValues.size() / 2;
  return AValues.size() % 2 ? AValues[Middle] : (AValues[Middle - 1] + AValues[Middle]) / 2;
}

void StartupToFirstPaint(benchmark::State& AState) {
  if (!Prepare()) {
    AState.SkipWithError("no X server");
    return;
  }
  for (auto _ : AState) {
    const TStart Start = StartOnce();
    if (Start.Milliseconds < 0) {
      AState.SkipWithError("the program did not paint its window");
      return;
    }
    AState.SetIterationTime(Start.Milliseconds / 1000.0);
    AState.counters["first_paint_ms"] = Start.Milliseconds;
    AState.counters["peak_MB"] = Start.PeakMB;
  }
}

// Both probes in turn, so that a busy moment of the machine falls on both
// alike; the medians of one run and their ratio.
void StartupAgainstBareQt(benchmark::State& AState) {
  if (!Prepare()) {
    AState.SkipWithError("no X server");
    return;
  }
  constexpr int Starts = 11;
  for (auto _ : AState) {
    std::vector<double> Program;
    std::vector<double> Bare;
    for (int I = 0; I < Starts; ++I) {
      const TStart BareStart = StartOnce(TILVANE_BARE_QT_PROBE);
      const TStart ProgramStart = StartOnce();
      if (BareStart.Milliseconds < 0 || ProgramStart.Milliseconds < 0) {
        AState.SkipWithError("a probe did not paint its window");
        return;
      }
      Bare.push_back(BareStart.Milliseconds);
      Program.push_back(ProgramStart.Milliseconds);
    }
    const double ProgramMedian = Median(Program);
    const double BareMedian = Median(Bare);
    AState.SetIterationTime(ProgramMedian / 1000.0);
    AState.counters["program_median_ms"] = ProgramMedian;
    AState.counters["bare_qt_median_ms"] = BareMedian;
    AState.counters["ratio"] = ProgramMedian / BareMedian;
    AState.counters["starts_each"] = Starts;
  }
}

} // namespace

BENCHMARK(StartupAgainstBareQt)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK(StartupToFirstPaint)
    ->Iterations(1)
    ->Repetitions(11)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
