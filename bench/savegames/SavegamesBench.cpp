// Reading every save slot of a generation, each save naming 300 mods, as the
// sync does before it removes archives and the savegames window does on open.
#include "core/savegames/SavegameReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace tilvane {
namespace {

// A career file of the size a long game with many mods reaches: the
// settings, statistics and 300 <mod> elements.
QByteArray CareerFile(int ASave, int AMods) {
  QByteArray Xml = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n"
                   "<careerSavegame revision=\"2\" valid=\"true\">\n    <settings>\n"
                   "        <savegameName>Farm " +
                   QByteArray::number(ASave) +
                   "</savegameName>\n"
                   "        <mapId>FS22_BigMap.SampleModMap</mapId>\n"
                   "        <mapTitle>Big Map</mapTitle>\n"
                   "        <saveDateFormatted>2024-03-01</saveDateFormatted>\n"
                   "        <economicDifficulty>NORMAL</economicDifficulty>\n"
                   "    </settings>\n    <statistics><money>1234567</money>"
                   "<playTime>98765.4</playTime></statistics>\n";
  for (int I = 0; I < AMods; ++I) {
    const QByteArray N = QByteArray::number(I);
    Xml += "    <mod modName=\"FS22_Mod" + N + "\" title=\"Some mod with a title " + N +
           "\" version=\"1.0.0." + N + "\" required=\"" + (I == 0 ? "true" : "false") +
           "\" fileHash=\"" + (I % 10 == 0 ? QByteArray() : QByteArray(32, 'a' + I % 6)) + "\"/>\n";
  }
  return Xml + "</careerSavegame>\n";
}

void BM_ReadTwentySaves(benchmark::State& AState) {
  QTemporaryDir Dir;
  for (int Save = 1; Save <= 20; ++Save) {
    const QString Folder = Dir.filePath(QStringLiteral("savegame") + QString::number(Save));
    QDir().mkpath(Folder);
    QFile File(Folder + QStringLiteral("/careerSavegame.xml"));
    if (!File.open(QIODevice::WriteOnly) || File.write(CareerFile(Save, 300)) < 0) {
      AState.SkipWithError("cannot write the saves");
      return;
    }
  }
  size_t Mods = 0;
  for (auto _ : AState) {
    const TSavegameReading Reading = ReadSavegames(Dir.path());
    Mods = 0;
    for (const TSavegame& Save : Reading.Saves)
      Mods += static_cast<size_t>(Save.Mods.size());
    benchmark::DoNotOptimize(Mods);
  }
  if (Mods != 6000)
    AState.SkipWithError("the saves did not read whole");
  AState.counters["mods"] = static_cast<double>(Mods);
}
BENCHMARK(BM_ReadTwentySaves)->Repetitions(5)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tilvane

BENCHMARK_MAIN();
