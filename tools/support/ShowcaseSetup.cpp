#include "ShowcaseSetup.h"

#include "core/common/AtomicFile.h"
#include "core/common/Paths.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <stdexcept>

namespace tilvane::tools {

namespace {

void WriteFile(const QString& APath, const QByteArray& AContent) {
  QString Error;
  if (!QDir().mkpath(QFileInfo(APath).absolutePath()) ||
      !ReplaceFileContents(APath, AContent, Error))
    throw std::runtime_error("cannot write " + APath.toStdString() + ": " + Error.toStdString());
}

} // namespace

void WriteShowcaseSetup(TdmMain& ADataModule, const QString& ARoot) {
  const QString Games = ARoot + QStringLiteral("/games/FarmingSimulator2025.exe");
  WriteFile(Games, "MZ");
  WriteFile(FromPlatform(ADataModule.Platform().GameDocumentsFolder()) +
                QStringLiteral("/My Games/FarmingSimulator2025/gameSettings.xml"),
            "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
            "<gameSettings revision=\"15\">\n</gameSettings>\n");
  ADataModule.SetFSProgramLocation(TFSVersion::fsv25, Games);
  ADataModule.LoadModFolders(TFSVersion::fsv25);
  ADataModule.ModFolderList().clear();
  for (const char* Name : {"Singleplayer", "Valley Crest Server", "Testing new mods"}) {
    auto ModFolder = std::make_unique<TModFolder>();
    ModFolder->Name = QLatin1String(Name);
    ModFolder->Folder = ARoot + QStringLiteral("/mods/") + QLatin1String(Name);
    ADataModule.ModFolderList().push_back(std::move(ModFolder));
  }
  TModFolder& Server = *ADataModule.ModFolderList()[1];
  Server.DedicatedServerURL = QStringLiteral("http://192.168.1.20:8380/mods.html");
  Server.StatsFeedURL =
      QStringLiteral("http://192.168.1.20:8380/feed/dedicated-server-stats.xml?code=5f3a9c1e");
  Server.AutoUpdateFromDedicatedServer = true;
  ADataModule.SaveModFolders(TFSVersion::fsv25);
  ADataModule.SetFSModFolder(TFSVersion::fsv25, ADataModule.ModFolderList()[0]->Folder);
}

} // namespace tilvane::tools
