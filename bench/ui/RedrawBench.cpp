// A redraw of the main window with 100 mod folders: every button destroyed
// and built anew from the folders' file, the window sized and painted.
// Target: 100 ms.
#include "SilentPrompts.h"
#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"
#include "gui/main/MainFM.h"
#include "gui/main/PendingDialogs.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

using namespace tilvane;

using tools::TSilentPrompts;

void Redraw(benchmark::State& AState) {
  QTemporaryDir Root;
  platform::FakePlatform Platform(Root.path().toStdString());
  TSilentPrompts Prompts;
  const QString Exe = Root.filePath(QStringLiteral("games/FarmingSimulator2025.exe"));
  QDir().mkpath(QFileInfo(Exe).absolutePath());
  QFile(Exe).open(QIODevice::WriteOnly);
  {
    TdmMain DataModule(Platform, Prompts);
    DataModule.SetFSProgramLocation(TFSVersion::fsv25, Exe);
    DataModule.LoadModFolders(TFSVersion::fsv25);
    DataModule.ModFolderList().clear();
    for (int I = 0; I < AState.range(0); ++I) {
      auto ModFolder = std::make_unique<TModFolder>();
      ModFolder->Name = QStringLiteral("Mod folder %1").arg(I);
      ModFolder->Folder = Root.filePath(QStringLiteral("mods/%1").arg(I));
      if (I % 3 == 0)
        ModFolder->DedicatedServerURL = QStringLiteral("http://192.168.1.20:8380/mods.html");
      DataModule.ModFolderList().push_back(std::move(ModFolder));
    }
    DataModule.SaveModFolders(TFSVersion::fsv25);
  }
  TPendingDialogs Dialogs;
  TfmMain Main(Platform, Prompts, {&Dialogs, {}, [] { return false; }, nullptr});
  Main.show();
  QApplication::processEvents();
  for (auto _ : AState) {
    Main.UpdateGUI(true);
    Main.repaint();
  }
  AState.counters["buttons"] = double(Main.Frames().size());
}

} // namespace

BENCHMARK(Redraw)->Arg(100)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication App(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
