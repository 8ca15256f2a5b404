#pragma once

#include "core/game/FSVersion.h"
#include "datamodule/MainDM.h"
#include "gui/common/QtWaitService.h"
#include "windowlogic/MainWindowLogic.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QTimer;

namespace Ui {
class TfmMain;
}

namespace tilvane {

namespace platform {
class IPlatform;
}
class IMainDialogs;
class IPromptService;
class IServerPageViewer;
class TfrModFolder;
class TFolderStateModel;
class TWorkerJob;

// The main window: a tab per installed game generation and, for the
// selected one, a big button per mod folder. It creates the data module
// before anything else and lets it go last; every redraw reads the mod
// folders from their file again and builds the buttons anew.
class TfmMain : public QWidget {
  Q_OBJECT

public:
  struct TOptions {
    IMainDialogs* Dialogs = nullptr;               // required
    TErrorReporter Reporter;                       // errors no handler could deal with
    std::function<bool()> ShiftHeld;               // default: the keyboard's state
    IServerPageViewer* ServerPageViewer = nullptr; // shows a page that is no mod list
  };

  TfmMain(platform::IPlatform& APlatform, IPromptService& APrompts, TOptions AOptions);
  ~TfmMain() override;

  TdmMain& DataModule() { return *FDataModule; }

  TFSVersion GetFSVersionTab() const;
  void UpdateTabs(bool ASetActiveTab);
  void UpdateGUI(bool AFreezeWindowUpdates);
  // One redraw once control is back in the event loop, however often asked.
  void QueueUpdateGUI();

  // The button frames, top to bottom.
  std::vector<TfrModFolder*> Frames() const;
  QMenu* ToolsMenu() const { return popTools; }
  // Where each folder of the window stands, for the line under its button.
  TFolderStateModel& FolderStates() { return *FFolderStates; }

  // The handlers, also for tests.
  void tabFSChange();
  void btnAddModFolderClick();
  void btnSettingsClick();
  void btnAboutClick();
  void btnToolsClick();
  void popToolsPopup();
  void mniLogViewerClick();
  void mniDeleteShaderCacheClick();
  void mniDeleteLogFileClick();
  void mniDeveloperInfoClick();
  void tmrAfterShowTimer();
  void tmrUpdateGUITimer();
  void tmrCheckForUpdatesTimer();

protected:
  void showEvent(QShowEvent* AEvent) override;

private:
  void DrawGUI();
  // The tab's folders are walked and their servers checked in the
  // background; each button's line follows as the answers come.
  void SurveyFolders();
  void FolderStateChanged(const QString& AModFolder);
  QString FolderStateText(const TModFolder& AModFolder) const;
  // The answer of the update check, on the window's thread once it came.
  void UpdateCheckAnswered(bool AAvailable);
  void BuildToolsMenu();
  void ConnectHandlers();
  void RestorePosition();
  void MoveOntoScreen();

  std::unique_ptr<TdmMain> FDataModule;
  TQtWaitService FWaitService;
  // The update check of this start, on a worker; stopped with the window.
  std::unique_ptr<TWorkerJob> FUpdateCheck;
  std::unique_ptr<Ui::TfmMain> FUi;
  TOptions FOptions;
  std::unique_ptr<TMainWindowLogic> FLogic;
  std::unique_ptr<TFolderStateModel> FFolderStates;
  bool FUpdatingTabs = false;
  int FFrameNumber = 0;
  bool FWatchingScreen = false;
  bool FPainted = false;

  QMenu* popTools = nullptr;
  QAction* N1 = nullptr;
  QAction* N2 = nullptr;
  QTimer* tmrAfterShow = nullptr;
  QTimer* tmrUpdateGUI = nullptr;
  QTimer* tmrCheckForUpdates = nullptr;
};

} // namespace tilvane
