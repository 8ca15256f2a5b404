#include "windowlogic/ModFolderButtonLogic.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/modfolders/ServerFolderRule.h"
#include "core/savegames/SavegamesReport.h"
#include "core/server/ModPageReading.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"
#include "windowlogic/ModFolderButtonWindows.h"

#include <QDir>
#include <QFileInfo>

namespace tilvane {

TModFolderButtonLogic::TModFolderButtonLogic(TdmMain& ADataModule, TFSVersion AFSVersion,
                                             TModFolder& AModFolder,
                                             IModFolderButtonWindows& AWindows)
    : FDataModule(ADataModule), FFSVersion(AFSVersion), FModFolder(AModFolder), FWindows(AWindows) {
}

bool TModFolderButtonLogic::IsActive() {
  return FDataModule.GetFSModFolder(FFSVersion).compare(FModFolder.Folder, Qt::CaseInsensitive) ==
         0;
}

bool TModFolderButtonLogic::HasServer() const {
  return !FModFolder.DedicatedServerURL.isEmpty();
}

int TModFolderButtonLogic::IndexInList() const {
  const TModFolderList& List = FDataModule.ModFolderList();
  for (size_t I = 0; I < List.size(); ++I) {
    if (List[I].get() == &FModFolder)
      return static_cast<int>(I);
  }
  return -1;
}

TModFolderButtonLogic::TMenuState TModFolderButtonLogic::MenuState(bool AShiftHeld) {
  TMenuState State;
  State.ServerActions = HasServer();
  State.MakeActive = FDataModule.GetFSModFolder(FFSVersion) != FModFolder.Folder;
  const int Index = IndexInList();
  State.MoveTowardsFirst = Index > 0;
  State.MoveTowardsLast =
      Index >= 0 && Index < static_cast<int>(FDataModule.ModFolderList().size()) - 1;
  State.DebugPageVisible = AShiftHeld;
  return State;
}

bool TModFolderButtonLogic::EnsureFolder() {
  if (QFileInfo(FModFolder.Folder).isDir())
    return true;
  if (!FDataModule.Prompts().AskYesNo(
          QStringLiteral("Mod folder ") + FModFolder.Folder +
          QStringLiteral(" does not exists.  Do you want to create it?")))
    return false;
  // A folder that cannot be created shows up when the game or the sync uses it.
  QDir().mkpath(FModFolder.Folder);
  return true;
}

bool TModFolderButtonLogic::GameSeesFolder() {
  const QString Refusal = FDataModule.FSModFolderRefusal(FFSVersion, FModFolder.Folder);
  if (Refusal.isEmpty())
    return true;
  FDataModule.Prompts().ShowMessage(Refusal);
  return false;
}

bool TModFolderButtonLogic::RefusedWithoutFolder() {
  // A button stored before the dialog refused this starts nothing.
  if (!FollowsServerWithoutFolder(FModFolder))
    return false;
  FDataModule.Prompts().ShowMessage(ServerWithoutFolderMessage());
  return true;
}

bool TModFolderButtonLogic::ServerAnswers() {
  // The update window fetches the page and judges it the same way, and tells
  // the player what it found: a check before it would ask the server twice
  // and make the player wait twice.
  if (FollowsServerOnClick())
    return true;
  return !HasServer() ||
         FDataModule.ValidateServerURL(FFSVersion, FModFolder.DedicatedServerURL,
                                       FModFolder.WebUsername, FModFolder.WebPassword);
}

bool TModFolderButtonLogic::FollowsServerOnClick() const {
  return HasServer() && FModFolder.AutoUpdateFromDedicatedServer;
}

bool TModFolderButtonLogic::RefusedWhileActiveAndRunning(const QString& AWhat) {
  if (!FDataModule.IsFSRunning(FFSVersion) || !IsActive())
    return false;
  FDataModule.Prompts().ShowMessage(AWhat + NumberStr() + QStringLiteral(" is running."));
  return true;
}

void TModFolderButtonLogic::MainClick() {
  if (RefusedWithoutFolder())
    return;
  // Before anything is created or fetched for a game that could not use it.
  if (!GameSeesFolder())
    return;
  if (!FModFolder.Folder.isEmpty() && !EnsureFolder())
    return;
  if (!ServerAnswers())
    return;
  if (FDataModule.IsFSRunning(FFSVersion)) {
    FDataModule.Prompts().ShowMessage(QStringLiteral("Can not start Farming Simulator ") +
                                      NumberStr() + QStringLiteral(". It is already running."));
    return;
  }
  // Only a folder that is in line with its server goes into the game. The
  // update window's page check is the click's only server check, so the
  // game's settings change only once it passed: a server that does not
  // answer leaves the game on the folder it had.
  if (FollowsServerOnClick() && !FWindows.RunUpdate(false))
    return;
  FDataModule.SetFSModFolder(FFSVersion, FModFolder.Folder);
  FDataModule.SetFSJoinGame(FFSVersion, FModFolder.GameNameFilter, FModFolder.GamePassword);
  FDataModule.RunFS(FFSVersion);
  FWindows.ShowStartingNotice();
  FWindows.QueueRedraw();
}

void TModFolderButtonLogic::UpdateMods() {
  if (RefusedWithoutFolder())
    return;
  if (RefusedWhileActiveAndRunning(
          QStringLiteral("Can not update active mod folder while Farming Simulator ")))
    return;
  if (!EnsureFolder())
    return;
  // The update window checks the page itself.
  FWindows.RunUpdate(false);
}

void TModFolderButtonLogic::RedownloadMods() {
  if (RefusedWithoutFolder())
    return;
  if (RefusedWhileActiveAndRunning(QStringLiteral(
          "Can not re-download all mods on update active mod folder while Farming Simulator ")))
    return;
  if (!EnsureFolder())
    return;
  // The update window checks the page itself.
  if (!FDataModule.Prompts().AskYesNo(QStringLiteral("Do you want re-download all mods?"), false))
    return;
  FWindows.RunUpdate(true);
}

void TModFolderButtonLogic::OpenServerModList() {
  // Without the web login: the browser's command line is in the process list
  // for every user to read. The player logs in on the page.
  FDataModule.Platform().ShellOpen(ToPlatform(FModFolder.DedicatedServerURL));
}

void TModFolderButtonLogic::OpenFolder() {
  FDataModule.Platform().ShellOpen(ToPlatform(FModFolder.Folder));
}

void TModFolderButtonLogic::MakeActive() {
  if (FDataModule.IsFSRunning(FFSVersion)) {
    FDataModule.Prompts().ShowMessage(
        QStringLiteral("Can not change active mod folder while Farming Simulator ") + NumberStr() +
        QStringLiteral(" is running."));
    return;
  }
  if (!GameSeesFolder())
    return;
  FDataModule.SetFSModFolder(FFSVersion, FModFolder.Folder);
  FDataModule.SetFSJoinGame(FFSVersion, FModFolder.GameNameFilter, FModFolder.GamePassword);
  FWindows.QueueRedraw();
}

void TModFolderButtonLogic::DownloadModPageHtml() {
  bool Cancelled = false;
  const QString Page =
      FDataModule.GetModPageHTML(FFSVersion, FModFolder.DedicatedServerURL, FModFolder.WebUsername,
                                 FModFolder.WebPassword, &Cancelled);
  // The player stopped waiting: nothing more.
  if (Cancelled)
    return;
  TFileDialogOptions Options;
  Options.FileTypes = {{QStringLiteral("Mod Page HTML"), QStringLiteral("*.html")}};
  Options.DefaultExtension = QStringLiteral("html");
  Options.InitialFolder = FDataModule.SaveModPageFolder();
  const QString FileName = FDataModule.Prompts().SaveFile(Options);
  if (!FileName.isEmpty()) {
    QString Error;
    if (!ReplaceFileContents(FileName, Page.toUtf8(), Error))
      throw EAppError(QStringLiteral("Unable to write to ") + FileName +
                      QStringLiteral("\r\nError: ") + Error);
  }
  // What a sync would make of the page: which reader read it, or how far.
  if (!Page.isEmpty())
    FDataModule.Prompts().ShowMessage(ModPageReadingSummary(ReadModPage(Page)),
                                      TMessageKind::Information);
}

void TModFolderButtonLogic::Move(TMove AMove) {
  switch (AMove) {
  case TMove::First:
    FDataModule.MoveToFirst(FFSVersion, &FModFolder);
    break;
  case TMove::Up:
    FDataModule.MoveUp(FFSVersion, &FModFolder);
    break;
  case TMove::Down:
    FDataModule.MoveDown(FFSVersion, &FModFolder);
    break;
  case TMove::Last:
    FDataModule.MoveToLast(FFSVersion, &FModFolder);
    break;
  }
  FWindows.QueueRedraw();
}

void TModFolderButtonLogic::Delete() {
  // A folder that follows a server holds only what the server gives: its
  // files go with it unless the player says otherwise.
  bool RemoveFolder = HasServer();
  if (!FWindows.ConfirmDelete(RemoveFolder))
    return;
  if (RemoveFolder && FDataModule.IsFSRunning(FFSVersion) && IsActive()) {
    FDataModule.Prompts().ShowMessage(
        QStringLiteral("Can not delete active mod folder mods while Farming Simulator ") +
        NumberStr() + QStringLiteral(" is running."));
    return;
  }
  FDataModule.DeleteModFolder(FFSVersion, &FModFolder, RemoveFolder);
  FWindows.QueueRedraw();
}

void TModFolderButtonLogic::Edit() {
  if (!FWindows.EditModFolder(FModFolder))
    return;
  FDataModule.SaveModFolders(FFSVersion);
  FWindows.Refresh();
}

void TModFolderButtonLogic::Export() {
  FWindows.ExportModFolder(FModFolder);
}

void TModFolderButtonLogic::ShowSavegames() {
  TSavegamesReport Report;
  if (FDataModule.ReadSavegamesFor(FModFolder, FFSVersion, Report))
    FWindows.ShowSavegames(Report);
}

} // namespace tilvane
