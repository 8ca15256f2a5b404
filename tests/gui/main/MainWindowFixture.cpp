#include "MainWindowFixture.h"

namespace tilvane::test {

namespace {

const QByteArray GameSettingsXml =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                      "<gameSettings revision=\"15\">\n"
                      "    <onlinePresenceName>Farmer</onlinePresenceName>\n"
                      "</gameSettings>\n");

} // namespace

void MainWindowTest::Install(TFSVersion AFSVersion) {
  WriteFile(Games.Executable(AFSVersion), "MZ");
  WriteFile(Games.GameSettings(AFSVersion), GameSettingsXml);
  TdmMain DataModule(Env.Platform(), Env.Prompts());
  DataModule.SetFSProgramLocation(AFSVersion, Games.Executable(AFSVersion));
}

void MainWindowTest::SetFolders(TFSVersion AFSVersion, const std::vector<TModFolder>& AFolders) {
  TdmMain DataModule(Env.Platform(), Env.Prompts());
  DataModule.LoadModFolders(AFSVersion);
  DataModule.ModFolderList().clear();
  for (const TModFolder& ModFolder : AFolders)
    DataModule.ModFolderList().push_back(std::make_unique<TModFolder>(ModFolder));
  DataModule.SaveModFolders(AFSVersion);
}

TModFolder MainWindowTest::MakeFolder(const QString& AName, bool AWithServer) const {
  TModFolder ModFolder;
  ModFolder.Name = AName;
  ModFolder.Folder = Env.PathOf(QStringLiteral("mods/") + AName);
  if (AWithServer) {
    ModFolder.DedicatedServerURL = Server.PageURL();
    ModFolder.AutoUpdateFromDedicatedServer = true;
    ModFolder.RemoveModsNotOnServer = true;
    ModFolder.GameNameFilter = AName + QStringLiteral(" server");
    ModFolder.GamePassword = QStringLiteral("secret");
  }
  return ModFolder;
}

TfmMain& MainWindowTest::Open(const std::function<void(TfmMain&)>& ABeforeShow) {
  Window = std::make_unique<TfmMain>(
      Env.Platform(), Env.Prompts(),
      TfmMain::TOptions{&Dialogs, [this](std::exception_ptr AError) { Reported.push_back(AError); },
                        [this] { return Shift; }, nullptr});
  if (ABeforeShow)
    ABeforeShow(*Window);
  Window->show();
  Settle();
  return *Window;
}

} // namespace tilvane::test
