#include "DemoFolders.h"

#include "SilentPrompts.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QDir>

#include <memory>

namespace tilvane::demo {

QString DemoFolderName(TFSVersion FSVersion) {
  return QStringLiteral("Demo server ") + FSTabCaption(FSVersion);
}

QString DemoFolderPath(const TSandboxInstallation& ASandbox, TFSVersion FSVersion) {
  return ASandbox.ModsRoot(FSVersion) + QStringLiteral("/Demo server");
}

void WriteDemoFolders(const TSandboxInstallation& ASandbox, const TDemoServer& AServer) {
  const std::unique_ptr<platform::IPlatform> Platform = platform::CreateSystemPlatform();
  tools::TSilentPrompts Prompts;
  TdmMain DataModule(*Platform, Prompts);
  DataModule.SetModManagerModFolders(ASandbox.Home() + QStringLiteral("/Mods"));
  for (const TFSVersion FSVersion : TSandboxInstallation::Games()) {
    DataModule.LoadModFolders(FSVersion);
    DataModule.ModFolderList().clear();
    auto Server = std::make_unique<TModFolder>();
    Server->Name = DemoFolderName(FSVersion);
    Server->Folder = DemoFolderPath(ASandbox, FSVersion);
    const bool Admin = FSVersion == TFSVersion::fsv25;
    Server->DedicatedServerURL =
        Admin ? AServer.AdminPageURL(FSVersion) : AServer.PublicPageURL(FSVersion);
    if (Admin) {
      Server->WebUsername = TDemoServer::User;
      Server->WebPassword = TDemoServer::Password;
      // FS25 compares archives by the game's hash from the stats feed; FS22
      // goes by the page alone, so the demo shows both ways.
      Server->StatsFeedURL = AServer.StatsFeedURL(FSVersion);
    }
    Server->AutoUpdateFromDedicatedServer = true;
    Server->RemoveModsNotOnServer = true;
    Server->GameNameFilter = QStringLiteral("Tilvane demo");
    Server->GamePassword = QStringLiteral("harvest");
    QDir().mkpath(Server->Folder);
    auto Own = std::make_unique<TModFolder>();
    Own->Name = QStringLiteral("Singleplayer");
    Own->Folder = ASandbox.ModsRoot(FSVersion) + QStringLiteral("/Singleplayer");
    QDir().mkpath(Own->Folder);
    DataModule.ModFolderList().push_back(std::move(Server));
    DataModule.ModFolderList().push_back(std::move(Own));
    DataModule.SaveModFolders(FSVersion);
  }
}

} // namespace tilvane::demo
