#include "DemoFolders.h"

#include "SilentPrompts.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

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

void WriteDemoSavegame(const TSandboxInstallation& ASandbox, const TDemoServer& AServer) {
  // A save of FS22 on the server's map with its mods, one mod neither the
  // server nor the player's folders have, and one the server has in another
  // version than the save used: "Savegames…" has something to say.
  QByteArray Xml = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n"
                   "<careerSavegame revision=\"2\" valid=\"true\">\n"
                   "    <settings><savegameName>Demo farm</savegameName>"
                   "<mapId>FS22_ValleyCrestMap.SampleModMap</mapId>"
                   "<mapTitle>Valley Crest</mapTitle></settings>\n";
  bool First = true;
  for (const TDemoMod& Mod : AServer.Mods(TFSVersion::fsv22)) {
    if (Mod.Bytes == 0)
      continue;
    const QString Name = QFileInfo(Mod.FileName).completeBaseName();
    const bool Map = Name == QStringLiteral("FS22_ValleyCrestMap");
    const QString Version = First && !Map ? QStringLiteral("0.9.0.0") : Mod.Version;
    First = First && Map;
    Xml += QStringLiteral("    <mod modName=\"%1\" title=\"%2\" version=\"%3\" required=\"%4\" "
                          "fileHash=\"\"/>\n")
               .arg(Name, Mod.Title.toHtmlEscaped(), Version,
                    Map ? QStringLiteral("true") : QStringLiteral("false"))
               .toUtf8();
  }
  Xml += "    <mod modName=\"FS22_OldFavourite\" title=\"Old Favourite\" version=\"1.0.0.0\" "
         "required=\"false\" fileHash=\"\"/>\n"
         "</careerSavegame>\n";
  const QString Folder = ASandbox.MyGames(TFSVersion::fsv22) + QStringLiteral("/savegame1");
  QDir().mkpath(Folder);
  QFile File(Folder + QStringLiteral("/careerSavegame.xml"));
  if (!File.open(QIODevice::WriteOnly) || File.write(Xml) != Xml.size() || !File.flush())
    throw std::runtime_error("cannot write the demo's savegame");
  File.close();
}

} // namespace tilvane::demo
