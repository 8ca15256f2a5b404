// Saving and loading a long mod folder list, and activating a folder in the
// game's settings file.
#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"
#include "platform/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace tilvane {
namespace {

// Nobody answers: the measured operations never ask.
class TSilentPrompts : public IPromptService {
public:
  void ShowMessage(const QString&, TMessageKind) override {}
  bool AskYesNo(const QString&, bool yesIsDefault) override { return yesIsDefault; }
  QString OpenFile(const TFileDialogOptions&) override { return {}; }
  QString SaveFile(const TFileDialogOptions&) override { return {}; }
  QString PickFolder(const QString&, const QString&) override { return {}; }
};

struct TBenchSetup {
  QTemporaryDir Dir;
  platform::FakePlatform Platform{Dir.path().toStdString()};
  TSilentPrompts Prompts;
  TdmMain Dm{Platform, Prompts};

  void FillList(int ACount) {
    Dm.LoadModFolders(TFSVersion::fsv22);
    Dm.ModFolderList().clear();
    for (int i = 1; i <= ACount; ++i) {
      auto folder = std::make_unique<TModFolder>();
      folder->Name = QStringLiteral("Server %1").arg(i);
      folder->Folder =
          QStringLiteral("/home/player/Documents/My Games/Tilvane/Mods/Server %1").arg(i);
      folder->DedicatedServerURL =
          QStringLiteral("http://192.168.1.%1:8080/mods.html?lang=en").arg(i % 250);
      folder->WebUsername = QStringLiteral("admin");
      folder->WebPassword = QStringLiteral("secret%1").arg(i);
      folder->AutoUpdateFromDedicatedServer = i % 2 == 0;
      folder->GameNameFilter = QStringLiteral("Farm %1").arg(i);
      folder->GamePassword = QStringLiteral("pw%1").arg(i);
      folder->RemoveModsNotOnServer = true;
      Dm.ModFolderList().push_back(std::move(folder));
    }
  }
};

void BM_SaveModFolders100(benchmark::State& state) {
  TBenchSetup setup;
  setup.FillList(100);
  int round = 0;
  for (auto _ : state) {
    // A changed name each time, so that every save really writes.
    setup.Dm.ModFolderList()[0]->Name = QStringLiteral("Server %1").arg(++round);
    setup.Dm.SaveModFolders(TFSVersion::fsv22);
  }
}
BENCHMARK(BM_SaveModFolders100)->Unit(benchmark::kMillisecond);

void BM_LoadModFolders100(benchmark::State& state) {
  TBenchSetup setup;
  setup.FillList(100);
  setup.Dm.SaveModFolders(TFSVersion::fsv22);
  for (auto _ : state) {
    setup.Dm.LoadModFolders(TFSVersion::fsv22);
    benchmark::DoNotOptimize(setup.Dm.ModFolderList().size());
  }
}
BENCHMARK(BM_LoadModFolders100)->Unit(benchmark::kMillisecond);

void BM_SetFSModFolder10KB(benchmark::State& state) {
  TBenchSetup setup;
  const QString folder =
      setup.Dir.filePath(QStringLiteral("Documents/My Games/FarmingSimulator2022"));
  QDir().mkpath(folder);
  QByteArray content = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                       "<gameSettings revision=\"15\">\n"
                       "    <modsDirectoryOverride active=\"false\" directory=\"C:/Temp\"/>\n";
  for (int i = 0; content.size() < 10 * 1024 - 100; ++i)
    content += "    <setting" + QByteArray::number(i) + " value=\"1.000000\">true</setting" +
               QByteArray::number(i) + ">\n";
  content += "</gameSettings>\n";
  QFile file(folder + QStringLiteral("/gameSettings.xml"));
  if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
    state.SkipWithError("cannot write the settings file");
    return;
  }
  file.close();
  int round = 0;
  for (auto _ : state)
    setup.Dm.SetFSModFolder(TFSVersion::fsv22, QStringLiteral("/mods/%1").arg(++round % 2));
  state.counters["bytes"] = static_cast<double>(content.size());
}
BENCHMARK(BM_SetFSModFolder10KB)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tilvane

BENCHMARK_MAIN();
