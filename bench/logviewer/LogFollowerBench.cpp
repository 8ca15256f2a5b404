// Following a large game log: the refresh tick on an unchanged file, a tick
// after the game appended 100 lines, and the first load.
#include "core/logviewer/LogFollower.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace tilvane;

namespace {

QByteArray Line(qint64 i) {
  // About 100 bytes, like the game's lines; every 50th a warning, every 97th an error.
  QByteArray line = "2026-07-22 17:10:31.666 data/maps/mapUS/textures/props/sign" +
                    QByteArray::number(i) + ".i3d (0.32 ms)";
  if (i % 50 == 0)
    line += " Warning (performance): lod";
  if (i % 97 == 0)
    line += " Error: Failed to open xml file";
  line.append(std::max<qsizetype>(0, 98 - line.size()), ' ');
  return line + "\r\n";
}

QString MakeLog(QTemporaryDir& ADir, qint64 ALines) {
  const QString name = ADir.filePath(QStringLiteral("log.txt"));
  QFile file(name);
  file.open(QIODevice::WriteOnly);
  QByteArray block;
  for (qint64 i = 1; i <= ALines; ++i) {
    block += Line(i);
    if (block.size() > (1 << 20)) {
      file.write(block);
      block.clear();
    }
  }
  file.write(block);
  return name;
}

long PeakRssKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmHWM:") {
      status >> value;
      return value;
    }
  }
  return 0;
}

void BM_TickUnchanged200MB(benchmark::State& state) {
  QTemporaryDir dir;
  TLogFollower follower;
  follower.SetLogFileName(MakeLog(dir, 2'000'000));
  follower.LoadLogFile(true);
  for (auto _ : state)
    benchmark::DoNotOptimize(follower.LoadLogFile(false));
}
BENCHMARK(BM_TickUnchanged200MB)->Unit(benchmark::kMicrosecond);

void BM_Grow100Lines100MB(benchmark::State& state) {
  QTemporaryDir dir;
  TLogFollower follower;
  const QString name = MakeLog(dir, 1'000'000);
  follower.SetLogFileName(name);
  follower.LoadLogFile(true);
  qint64 next = 1'000'001;
  QFile writer(name);
  writer.open(QIODevice::Append);
  for (auto _ : state) {
    state.PauseTiming();
    QByteArray lines;
    for (int i = 0; i < 100; ++i)
      lines += Line(next++);
    writer.write(lines);
    writer.flush();
    state.ResumeTiming();
    const TLogLoadResult result = follower.LoadLogFile(false);
    if (result.Kind != TLogLoadResult::TKind::Patched)
      state.SkipWithError("not patched");
  }
  state.counters["bytes_read"] = static_cast<double>(follower.LastBytesRead());
}
BENCHMARK(BM_Grow100Lines100MB)->Unit(benchmark::kMillisecond);

void BM_FirstLoad100MB(benchmark::State& state) {
  QTemporaryDir dir;
  const QString name = MakeLog(dir, 1'000'000);
  const long before = PeakRssKiB();
  for (auto _ : state) {
    TLogFollower follower;
    follower.SetLogFileName(name);
    follower.LoadLogFile(true);
    benchmark::DoNotOptimize(follower.LineCount());
  }
  state.counters["peak_rss_growth_MiB"] = static_cast<double>(PeakRssKiB() - before) / 1024.0;
  state.counters["file_MiB"] = static_cast<double>(QFile(name).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_FirstLoad100MB)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
