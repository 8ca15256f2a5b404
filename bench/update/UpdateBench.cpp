// The update task against a local server: a gigabyte of archives downloaded
// by the task compared with the curl command fetching the same files in the
// same run, and the version check of a large, up-to-date mod folder.
//
// The download runs in a child process of its own (this executable started
// with --update-child), so that its peak memory is the task's alone and not
// the server's or the data generator's.
#include "HeadlessProgress.h"
#include "ModArchives.h"
#include "ModFileServer.h"
#include "ModPages.h"

#include "core/common/PromptService.h"
#include "core/modfolders/ModFolder.h"
#include "core/update/ModArchiveReader.h"
#include "core/update/UpdateModsTask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace tilvane::bench {
namespace {

using TClock = std::chrono::steady_clock;
using kit::FillRandom;
using kit::MakeModPage;
using kit::TModFileServer;
using kit::TPageLayout;
using kit::TPageRow;
using kit::WriteLargeModArchive;
using kit::WriteSmallModArchive;

constexpr int DownloadCount = 20;
constexpr qint64 DownloadSize = 50LL * 1024 * 1024;
constexpr int CheckCount = 500;
constexpr int CheckEntries = 24;

const QString& CheckingStatus() {
  static const QString Text = QStringLiteral("Checking to see which mods need updating...");
  return Text;
}

double SecondsSince(TClock::time_point AStart) {
  return std::chrono::duration<double>(TClock::now() - AStart).count();
}

// Nobody answers; a message means the measured run went wrong.
class TSilentPrompts : public IPromptService {
public:
  void ShowMessage(const QString& AText, TMessageKind) override {
    ++FMessages;
    FLast = AText;
  }
  bool AskYesNo(const QString&, bool AYesIsDefault) override { return AYesIsDefault; }
  QString OpenFile(const TFileDialogOptions&) override { return {}; }
  QString SaveFile(const TFileDialogOptions&) override { return {}; }
  QString PickFolder(const QString&, const QString&) override { return {}; }

  int Messages() const { return FMessages; }
  const QString& Last() const { return FLast; }

private:
  int FMessages = 0;
  QString FLast;
};

QString PlainServerURL(const QString& AServerURL, const QString&, const QString&) {
  return AServerURL;
}

// CPU seconds (user and system) of every child process reaped so far.
double ChildrenCpuSeconds() {
  rusage Usage{};
  ::getrusage(RUSAGE_CHILDREN, &Usage);
  auto Seconds = [](const timeval& ATime) {
    return static_cast<double>(ATime.tv_sec) + static_cast<double>(ATime.tv_usec) / 1e6;
  };
  return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
}

// The peak resident set of this process so far, from the kernel's own count.
qint64 PeakResidentKiB() {
  QFile Status(QStringLiteral("/proc/self/status"));
  if (!Status.open(QIODevice::ReadOnly))
    return -1;
  for (const QByteArray& Line : Status.readAll().split('\n')) {
    if (Line.startsWith("VmHWM:"))
      return Line.mid(6).trimmed().split(' ').value(0).toLongLong();
  }
  return -1;
}

void EmptyFolder(const QString& AFolder) {
  QDir(AFolder).removeRecursively();
  QDir().mkpath(AFolder);
}

// Every archive of AFolder has the size of its original in ASource.
bool SameSizes(const QString& ASource, const QString& AFolder, const QStringList& ANames) {
  for (const QString& Name : ANames) {
    const qint64 Size = QFileInfo(QDir(AFolder).filePath(Name)).size();
    if (Size <= 0 || Size != QFileInfo(QDir(ASource).filePath(Name)).size())
      return false;
  }
  return true;
}

QString NewDataFolder() {
  return QDir::tempPath() + QStringLiteral("/tilvane-updbench-XXXXXX");
}

// ---- the download -----------------------------------------------------------

// Twenty 50 MB archives in a served folder, and two empty folders that the
// task and the curl command fill.
struct TDownloadSet {
  QTemporaryDir Dir{NewDataFolder()};
  QString Source = Dir.filePath(QStringLiteral("server"));
  QString TaskFolder = Dir.filePath(QStringLiteral("task"));
  QString CurlFolder = Dir.filePath(QStringLiteral("curl"));
  QString TempFolder = Dir.filePath(QStringLiteral("temp"));
  QStringList Names;
  std::unique_ptr<TModFileServer> Server;
  qint64 TotalBytes = 0;

  TDownloadSet() {
    if (!Dir.isValid())
      throw std::runtime_error("cannot create the data folder");
    QDir().mkpath(Source);
    QDir().mkpath(TempFolder);
    QByteArray Payload(DownloadSize, Qt::Uninitialized);
    FillRandom(Payload, 20250101);
    std::vector<TPageRow> Rows;
    for (int i = 1; i <= DownloadCount; ++i) {
      const QString Name =
          QStringLiteral("FS25_LargeMap_Part%1.zip").arg(i, 2, 10, QLatin1Char('0'));
      const QString Path = QDir(Source).filePath(Name);
      WriteLargeModArchive(Path, QStringLiteral("Bench Author"), QStringLiteral("1.0.0.%1").arg(i),
                           Payload, DownloadSize, static_cast<std::uint64_t>(i));
      const qint64 Size = QFileInfo(Path).size();
      TotalBytes += Size;
      Names.append(Name);
      TPageRow Row;
      Row.FileName = Name;
      Row.Author = QStringLiteral("Bench Author");
      Row.Version = QStringLiteral("1.0.0.%1").arg(i);
      Row.SizeMB = QString::number(static_cast<double>(Size) / (1024.0 * 1024.0), 'f', 2);
      Rows.push_back(Row);
    }
    Server = std::make_unique<TModFileServer>(Source);
    Server->SetPage(MakeModPage(TPageLayout::Grid100, Rows));
  }
};

std::unique_ptr<TDownloadSet> GDownloadSet;

TDownloadSet& DownloadSet() {
  if (!GDownloadSet)
    GDownloadSet = std::make_unique<TDownloadSet>();
  return *GDownloadSet;
}

// What the child process reports of its one update.
struct TChildResult {
  double Seconds = 0;
  qint64 PeakKiB = 0;
  qint64 BaseKiB = 0;
  int Views = 0;
  int Blocks = 0;
  QString Error;
};

TChildResult RunUpdateInChild(const TDownloadSet& ASet) {
  TChildResult Result;
  QProcess Child;
  Child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  Child.start(QStringLiteral("/proc/self/exe"), {QStringLiteral("--update-child"), ASet.TaskFolder,
                                                 ASet.Server->PageURL(), ASet.TempFolder});
  if (!Child.waitForFinished(-1) || Child.exitStatus() != QProcess::NormalExit) {
    Result.Error = QStringLiteral("the update process did not end normally");
    return Result;
  }
  const QList<QByteArray> Fields = Child.readAllStandardOutput().trimmed().split(' ');
  if (Child.exitCode() != 0 || Fields.size() < 5) {
    Result.Error = QStringLiteral("the update failed: ") + QString::fromUtf8(Fields.join(' '));
    return Result;
  }
  Result.Seconds = Fields[0].toDouble();
  Result.PeakKiB = Fields[1].toLongLong();
  Result.BaseKiB = Fields[2].toLongLong();
  Result.Views = Fields[3].toInt();
  Result.Blocks = Fields[4].toInt();
  return Result;
}

// Seconds the curl command takes to fetch every archive, one command for all
// of them as a user would type it; negative when it failed.
double RunCurl(const TDownloadSet& ASet) {
  QStringList Arguments{QStringLiteral("--silent"), QStringLiteral("--show-error"),
                        QStringLiteral("--fail")};
  for (const QString& Name : ASet.Names)
    Arguments << QStringLiteral("-o") << QDir(ASet.CurlFolder).filePath(Name)
              << ASet.Server->FileURL(Name);
  QProcess Curl;
  Curl.setProcessChannelMode(QProcess::ForwardedChannels);
  const TClock::time_point Start = TClock::now();
  Curl.start(QStringLiteral("curl"), Arguments);
  if (!Curl.waitForFinished(-1) || Curl.exitStatus() != QProcess::NormalExit ||
      Curl.exitCode() != 0)
    return -1;
  return SecondsSince(Start);
}

// The ratio is curl's time over the task's, paired within one iteration; the
// median of the fifteen repetitions is the figure to read (a shared machine's
// speed swings between runs).
void BM_UpdateVersusCurl(benchmark::State& state) {
  TDownloadSet& Set = DownloadSet();
  static int Round = 0;
  TChildResult Task;
  double CurlSeconds = 0;
  // CPU time per run shows what a loaded machine would make of each side,
  // with far less noise than the wall clock.
  double TaskCpu = 0;
  double CurlCpu = 0;
  QString Failure;
  // Each run starts from a clean page cache: the other run's gigabyte is
  // deleted and everything written is flushed first, so that neither run
  // pays for the other's write-back.
  auto Settle = [&Set] {
    EmptyFolder(Set.TaskFolder);
    EmptyFolder(Set.CurlFolder);
    ::sync();
  };
  auto RunTask = [&] {
    Settle();
    const double CpuBefore = ChildrenCpuSeconds();
    Task = RunUpdateInChild(Set);
    TaskCpu = ChildrenCpuSeconds() - CpuBefore;
    if (!Task.Error.isEmpty())
      Failure = Task.Error;
    else if (!SameSizes(Set.Source, Set.TaskFolder, Set.Names))
      Failure = QStringLiteral("an archive of the task differs in size from the served one");
  };
  auto RunCurlCommand = [&] {
    Settle();
    const double CpuBefore = ChildrenCpuSeconds();
    CurlSeconds = RunCurl(Set);
    CurlCpu = ChildrenCpuSeconds() - CpuBefore;
    if (CurlSeconds < 0)
      Failure = QStringLiteral("the curl command failed");
    else if (!SameSizes(Set.Source, Set.CurlFolder, Set.Names))
      Failure = QStringLiteral("an archive of curl differs in size from the served one");
  };
  // One run of each side; the order alternates from pair to pair.
  auto RunPair = [&] {
    const bool CurlFirst = (Round++ % 2) == 0;
    if (CurlFirst)
      RunCurlCommand();
    if (Failure.isEmpty())
      RunTask();
    if (!CurlFirst && Failure.isEmpty())
      RunCurlCommand();
  };
  // The first fetch of a freshly generated set is slow for whoever makes it;
  // one untimed pair takes that out of the figures.
  static bool Warm = false;
  if (!Warm) {
    Warm = true;
    RunPair();
  }
  for (auto _ : state) {
    if (!Failure.isEmpty())
      break;
    RunPair();
    if (!Failure.isEmpty())
      break;
    state.SetIterationTime(Task.Seconds);
  }
  if (!Failure.isEmpty()) {
    state.SkipWithError(Failure.toStdString().c_str());
    return;
  }
  EmptyFolder(Set.TaskFolder);
  EmptyFolder(Set.CurlFolder);
  const double MB = static_cast<double>(Set.TotalBytes) / (1024.0 * 1024.0);
  state.SetBytesProcessed(state.iterations() * Set.TotalBytes);
  state.counters["task_MBps"] = MB / Task.Seconds;
  state.counters["curl_MBps"] = MB / CurlSeconds;
  state.counters["ratio"] = CurlSeconds / Task.Seconds;
  state.counters["task_cpu_s"] = TaskCpu;
  state.counters["curl_cpu_s"] = CurlCpu;
  state.counters["peak_MB"] = static_cast<double>(Task.PeakKiB) / 1024.0;
  state.counters["base_MB"] = static_cast<double>(Task.BaseKiB) / 1024.0;
  state.counters["views"] = Task.Views;
  state.counters["blocks"] = Task.Blocks;
}
BENCHMARK(BM_UpdateVersusCurl)
    ->Iterations(1)
    ->Repetitions(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The child's whole work: one update of an empty folder, then its figures on
// one line of standard output.
int RunUpdateChild(const QString& AFolder, const QString& APageURL, const QString& ATempFolder) {
  const qint64 BaseKiB = PeakResidentKiB();
  THeadlessProgress Progress;
  TSilentPrompts Prompts;
  TModFolder Folder;
  Folder.Name = QStringLiteral("Bench server");
  Folder.Folder = AFolder;
  Folder.DedicatedServerURL = APageURL;
  TUpdateModsTask Task(Folder, TFSVersion::fsv25, &PlainServerURL, Progress, Prompts, ATempFolder);
  const TClock::time_point Start = TClock::now();
  try {
    Task.UpdateModsTask();
  } catch (const std::exception& Error) {
    std::printf("error: %s\n", Error.what());
    return 1;
  }
  const double Seconds = SecondsSince(Start);
  if (!Task.FinishedUpdating() || !Task.FinalMsg().isEmpty() || Prompts.Messages() > 0) {
    std::printf("unfinished: %s %s\n", Task.FinalMsg().toUtf8().constData(),
                Prompts.Last().toUtf8().constData());
    return 1;
  }
  std::printf("%.6f %lld %lld %d %d\n", Seconds, static_cast<long long>(PeakResidentKiB()),
              static_cast<long long>(BaseKiB), Progress.Views(), Progress.FileStatusCalls());
  return 0;
}

// ---- the version check ------------------------------------------------------

// Five hundred small archives, all as the server lists them, so that the task
// inspects every one and downloads nothing.
struct TCheckSet {
  QTemporaryDir Dir{NewDataFolder()};
  QString Folder = Dir.filePath(QStringLiteral("mods"));
  QString TempFolder = Dir.filePath(QStringLiteral("temp"));
  QStringList Names;
  std::unique_ptr<TModFileServer> Server;
  QString Page;
  // The same list with every file name in lower case, as a server may have it.
  QString LowerCasePage;

  TCheckSet() {
    if (!Dir.isValid())
      throw std::runtime_error("cannot create the data folder");
    QDir().mkpath(Folder);
    QDir().mkpath(TempFolder);
    std::vector<TPageRow> Rows;
    std::vector<TPageRow> LowerRows;
    for (int i = 1; i <= CheckCount; ++i) {
      const QString Name =
          QStringLiteral("FS25_ServiceTrailer_%1.zip").arg(i, 3, 10, QLatin1Char('0'));
      const QString Version = QStringLiteral("1.%1.0.0").arg(i % 7);
      WriteSmallModArchive(QDir(Folder).filePath(Name), QStringLiteral("Bench Author"), Version, i,
                           CheckEntries);
      Names.append(Name);
      TPageRow Row;
      Row.FileName = Name;
      Row.Author = QStringLiteral("Bench Author");
      Row.Version = Version;
      Row.SizeMB = QStringLiteral("0.10");
      Rows.push_back(Row);
      Row.FileName = Name.toLower();
      LowerRows.push_back(Row);
    }
    Server = std::make_unique<TModFileServer>(Folder);
    Page = MakeModPage(TPageLayout::Grid100, Rows);
    LowerCasePage = MakeModPage(TPageLayout::Grid100, LowerRows);
  }

  int ArchivesLeft() const {
    return static_cast<int>(QDir(Folder).entryList({QStringLiteral("*.zip")}, QDir::Files).size());
  }
};

std::unique_ptr<TCheckSet> GCheckSet;

TCheckSet& CheckSet() {
  if (!GCheckSet)
    GCheckSet = std::make_unique<TCheckSet>();
  return *GCheckSet;
}

struct TCheckRun {
  double CheckSeconds = 0;
  double TaskSeconds = 0;
  QString Error;
};

TCheckRun RunCheck(TCheckSet& ASet) {
  TCheckRun Run;
  THeadlessProgress Progress;
  TSilentPrompts Prompts;
  TModFolder Folder;
  Folder.Folder = ASet.Folder;
  Folder.DedicatedServerURL = ASet.Server->PageURL();
  Folder.RemoveModsNotOnServer = true;
  TUpdateModsTask Task(Folder, TFSVersion::fsv25, &PlainServerURL, Progress, Prompts,
                       ASet.TempFolder);
  const TClock::time_point Start = TClock::now();
  Task.UpdateModsTask();
  const TClock::time_point End = TClock::now();
  Run.TaskSeconds = std::chrono::duration<double>(End - Start).count();
  Run.CheckSeconds = Progress.PhaseSeconds(CheckingStatus(), End);
  if (!Task.FinishedUpdating() || Prompts.Messages() > 0 || Progress.Downloads() > 0 ||
      ASet.ArchivesLeft() != CheckCount)
    Run.Error = QStringLiteral("the check did not leave the folder as it was: ") + Task.FinalMsg() +
                Prompts.Last();
  return Run;
}

// The version check phase of the task over 500 up-to-date archives. Arg 1:
// the server writes every file name in another letter case than the disk.
void BM_VersionCheck500(benchmark::State& state) {
  TCheckSet& Set = CheckSet();
  Set.Server->SetPage(state.range(0) == 0 ? Set.Page : Set.LowerCasePage);
  // One untimed run warms the cache.
  TCheckRun Run = RunCheck(Set);
  double TaskSeconds = 0;
  for (auto _ : state) {
    Run = RunCheck(Set);
    if (!Run.Error.isEmpty()) {
      state.SkipWithError(Run.Error.toStdString().c_str());
      break;
    }
    TaskSeconds += Run.TaskSeconds;
    state.SetIterationTime(Run.CheckSeconds);
  }
  state.counters["task_ms"] =
      benchmark::Counter(TaskSeconds * 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_VersionCheck500)
    ->ArgName("other_case")
    ->Arg(0)
    ->Arg(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The archive inspector alone over the same 500 archives.
void BM_ReadArchives500(benchmark::State& state) {
  TCheckSet& Set = CheckSet();
  TSilentPrompts Prompts;
  TModArchiveReader Reader(Set.TempFolder, Prompts);
  QStringList Paths;
  for (const QString& Name : Set.Names)
    Paths.append(QDir(Set.Folder).filePath(Name));
  for (const QString& Path : Paths)
    Reader.GetModFileInfo(Path);
  for (auto _ : state) {
    int Read = 0;
    for (const QString& Path : Paths)
      Read += Reader.GetModFileInfo(Path).Author.isEmpty() ? 0 : 1;
    if (Read != CheckCount) {
      state.SkipWithError("an archive did not give its author");
      break;
    }
  }
}
BENCHMARK(BM_ReadArchives500)->Repetitions(5)->Unit(benchmark::kMillisecond);

void ReleaseDataSets() {
  GDownloadSet.reset();
  GCheckSet.reset();
}

} // namespace
} // namespace tilvane::bench

int main(int argc, char** argv) {
  using namespace tilvane::bench;
  if (argc == 5 && std::strcmp(argv[1], "--update-child") == 0)
    return RunUpdateChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                          QString::fromLocal8Bit(argv[4]));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  QCoreApplication App(argc, argv);
  int Result = 0;
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "%s\n", Error.what());
    Result = 1;
  }
  benchmark::Shutdown();
  // The generated gigabyte goes away with its folders.
  ReleaseDataSets();
  return Result;
}
