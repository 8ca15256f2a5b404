// The sync of a second mod folder whose archives another folder of the
// generation already holds: linked from there, against the same sync
// downloading them from a server on 127.0.0.1. 200 archives of 10 MB each
// (2 GB, as a real "all mods" folder of a few large maps and packs).
#include "HeadlessProgress.h"
#include "ModArchives.h"
#include "ModFileServer.h"
#include "ModPages.h"
#include "SilentPrompts.h"

#include "core/common/PromptService.h"
#include "core/modfolders/ModFolder.h"
#include "core/update/UpdateModsTask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

#include <unistd.h>

namespace tilvane::bench {
namespace {

using TClock = std::chrono::steady_clock;

constexpr int ArchiveCount = 200;
constexpr qint64 ArchiveSize = 10 * 1024 * 1024;

using tools::TSilentPrompts;

QString PlainServerURL(const QString& AServerURL, const QString&, const QString&) {
  return AServerURL;
}

// The served archives, and the first folder that holds them all already.
struct TSharingSet {
  QTemporaryDir Dir{QDir::tempPath() + QStringLiteral("/tilvane-sharebench-XXXXXX")};
  QString Source = Dir.filePath(QStringLiteral("server"));
  QString First = Dir.filePath(QStringLiteral("first"));
  QString Second = Dir.filePath(QStringLiteral("second"));
  QString State = Dir.filePath(QStringLiteral("state"));
  std::unique_ptr<kit::TModFileServer> Server;

  TSharingSet() {
    if (!Dir.isValid())
      throw std::runtime_error("cannot create the data folder");
    QDir().mkpath(Source);
    QDir().mkpath(First);
    QDir().mkpath(State);
    QByteArray Payload(ArchiveSize, Qt::Uninitialized);
    kit::FillRandom(Payload, 20250202);
    std::vector<kit::TPageRow> Rows;
    for (int i = 1; i <= ArchiveCount; ++i) {
      const QString Name = QStringLiteral("FS25_Shared_%1.zip").arg(i, 3, 10, QLatin1Char('0'));
      const QString Path = QDir(Source).filePath(Name);
      kit::WriteLargeModArchive(Path, QStringLiteral("Bench Author"), QStringLiteral("1.0.0.0"),
                                Payload, ArchiveSize, static_cast<std::uint64_t>(i));
      QFile::copy(Path, QDir(First).filePath(Name));
      kit::TPageRow Row;
      Row.FileName = Name;
      Row.Author = QStringLiteral("Bench Author");
      Row.Version = QStringLiteral("1.0.0.0");
      Row.SizeMB = QString::number(static_cast<double>(QFileInfo(Path).size()) / 1048576.0, 'f', 2);
      Rows.push_back(Row);
    }
    Server = std::make_unique<kit::TModFileServer>(Source);
    Server->SetPage(kit::MakeModPage(kit::TPageLayout::Grid100, Rows));
  }

  // Seconds of one sync of the empty second folder; negative when it failed.
  double SyncSecond(bool AShare, int& ALinked) {
    QDir(Second).removeRecursively();
    QDir().mkpath(Second);
    ::sync();
    THeadlessProgress Progress;
    TSilentPrompts Prompts;
    TModFolder Folder;
    Folder.Folder = Second;
    Folder.DedicatedServerURL = Server->PageURL();
    TUpdateModsTask Task(Folder, TFSVersion::fsv25, &PlainServerURL, Progress, Prompts, Dir.path());
    Task.SetStateFolder(State);
    if (AShare)
      Task.SetSharingFolders({First});
    const TClock::time_point Start = TClock::now();
    Task.UpdateModsTask();
    const double Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
    ALinked = Task.Linked();
    const int Archives =
        static_cast<int>(QDir(Second).entryList({QStringLiteral("*.zip")}, QDir::Files).size());
    return Task.FinishedUpdating() && Archives == ArchiveCount ? Seconds : -1;
  }
};

// The ratio is the download's time over the link's, paired within one
// repetition. The first folder's hashes are learnt in the untimed warm-up
// (a folder that was synced once has them).
void BM_SecondFolderLinkedVersusDownloaded(benchmark::State& state) {
  static TSharingSet Set;
  int Linked = 0;
  static bool Warm = false;
  if (!Warm) {
    Warm = true;
    Set.SyncSecond(true, Linked);
  }
  double Download = 0;
  double Link = 0;
  for (auto _ : state) {
    Download = Set.SyncSecond(false, Linked);
    Link = Set.SyncSecond(true, Linked);
    if (Download < 0 || Link < 0 || Linked != ArchiveCount) {
      state.SkipWithError("a sync failed or did not link every archive");
      return;
    }
    state.SetIterationTime(Link);
  }
  state.counters["download_ms"] = Download * 1000;
  state.counters["link_ms"] = Link * 1000;
  state.counters["ratio"] = Download / Link;
}
BENCHMARK(BM_SecondFolderLinkedVersusDownloaded)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tilvane::bench

int main(int argc, char** argv) {
  QCoreApplication App(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
