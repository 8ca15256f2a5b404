#pragma once

#include "core/game/FSVersion.h"
#include "windowlogic/ModFolderButtonLogic.h"
#include "windowlogic/ModFolderButtonWindows.h"

#include <QFrame>

#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class TfrModFolder;
}

namespace tilvane {

class IMainDialogs;
class TdmMain;
class TModFolder;

// One mod folder on the main window: the big button that makes the folder
// the game's and starts the game, the mark of the active folder, the mark of
// a folder that follows a server, and the menu of the other actions. What
// the actions do is TModFolderButtonLogic's; the frame shows it.
class TfrModFolder : public QFrame, private IModFolderButtonWindows {
  Q_OBJECT

public:
  struct THooks {
    std::function<void()> QueueRedraw; // the main window's QueueUpdateGUI
    std::function<bool()> ShiftHeld;   // whether Shift is down as a menu opens
    // The line under the button (count, size, last sync), from what the main
    // window knows already; and the word that a sync of the folder ended.
    std::function<QString(const TModFolder&)> FolderState;
    std::function<void(const TModFolder&)> FolderSynced;
  };

  // AModFolder belongs to the data module's list and outlives the frame.
  TfrModFolder(QWidget* AOwner, TFSVersion AFSVersion, TModFolder& AModFolder, TdmMain& ADataModule,
               IMainDialogs& ADialogs, THooks AHooks);
  ~TfrModFolder() override;

  // Shows the folder's name, whether it is the game's, whether it follows a
  // server.
  void UpdateGUI();
  // The line under the button, also in the button's tooltip.
  void ShowFolderState(const QString& AText);

  TModFolderButtonLogic& Logic() { return FLogic; }
  QMenu* RightClickMenu() const { return FPmRightClick; }

  // The handlers, also for tests.
  void btnModFolderClick();
  void imgCurrentClick();
  void pmRightClickPopup();

protected:
  bool eventFilter(QObject* AWatched, QEvent* AEvent) override;

private:
  bool RunUpdate(bool ADeleteAllFilesFirst) override;
  void ShowStartingNotice() override;
  bool ConfirmDelete(bool& ARemoveFolder) override;
  bool EditModFolder(TModFolder& AModFolder) override;
  void ExportModFolder(const TModFolder& AModFolder) override;
  void ShowSavegames(const TSavegamesReport& AReport) override;
  void QueueRedraw() override;
  void Refresh() override;

  void BuildMenu();
  void ShowHoverMark(bool AShow);

  std::unique_ptr<Ui::TfrModFolder> FUi;
  TdmMain& FDataModule;
  IMainDialogs& FDialogs;
  THooks FHooks;
  TModFolderButtonLogic FLogic;
  QMenu* FPmRightClick = nullptr;
};

} // namespace tilvane
