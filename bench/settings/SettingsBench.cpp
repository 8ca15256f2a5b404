#include "core/common/IniFile.h"
#include "platform/Platform.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using tilvane::TIniDocument;
using tilvane::TIniFile;

// A settings file the size of a well-used per-game file: 100 sections of ten keys.
void WriteHundredSections(TIniFile& ini) {
  ini.Update([](TIniDocument& doc) {
    for (int s = 0; s < 100; ++s)
      for (int k = 0; k < 10; ++k)
        doc.WriteString(QStringLiteral("ModFolder%1").arg(s), QStringLiteral("Key%1").arg(k),
                        QStringLiteral("C:\\Users\\Player\\Documents\\My Games\\Mods\\%1").arg(k));
  });
}

void BM_ReadOneKeyOf100Sections(benchmark::State& state) {
  QTemporaryDir dir;
  auto platform = tilvane::platform::CreateSystemPlatform();
  TIniFile ini(dir.filePath(QStringLiteral("FS22.ini")), *platform);
  WriteHundredSections(ini);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        ini.ReadString(QStringLiteral("ModFolder73"), QStringLiteral("Key7"), QString()));
}
BENCHMARK(BM_ReadOneKeyOf100Sections)->Unit(benchmark::kMicrosecond);

// What saving a list of 100 mod folders does: drop the old sections and write
// nine keys for each folder, all in one replace of the file.
void BM_Write900KeysBatched(benchmark::State& state) {
  QTemporaryDir dir;
  auto platform = tilvane::platform::CreateSystemPlatform();
  TIniFile ini(dir.filePath(QStringLiteral("FS22.ini")), *platform);
  WriteHundredSections(ini);
  for (auto _ : state) {
    ini.Update([](TIniDocument& doc) {
      for (int s = 0; s < 100; ++s)
        doc.EraseSection(QStringLiteral("ModFolder%1").arg(s));
      for (int s = 0; s < 100; ++s)
        for (int k = 0; k < 9; ++k)
          doc.WriteString(QStringLiteral("ModFolder%1").arg(s), QStringLiteral("Key%1").arg(k),
                          QStringLiteral("value %1").arg(k));
    });
  }
}
BENCHMARK(BM_Write900KeysBatched)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
