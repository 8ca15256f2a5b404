#pragma once

#include "core/game/FSVersion.h"

#include <QString>

namespace tilvane {

class IModFolderButtonWindows;
class TdmMain;
class TModFolder;

// What a mod folder button does, without the button: the one click that
// makes the folder the game's, brings it in line with its server and starts
// the game, and the actions of its menu. Messages and questions go through
// the data module's prompt service, windows through AWindows.
class TModFolderButtonLogic {
public:
  // AModFolder belongs to the data module's list; it must outlive this.
  TModFolderButtonLogic(TdmMain& ADataModule, TFSVersion AFSVersion, TModFolder& AModFolder,
                        IModFolderButtonWindows& AWindows);

  TModFolder& ModFolder() { return FModFolder; }
  TFSVersion FSVersion() const { return FFSVersion; }

  // Whether the game's settings name this folder, ignoring letter case.
  bool IsActive();
  bool HasServer() const;

  // The enabled and visible states of the button's menu.
  struct TMenuState {
    bool ServerActions = false;    // update, re-download, open the server's list
    bool MakeActive = false;       // the game uses another folder (exact comparison)
    bool MoveTowardsFirst = false; // "Move to first", "Move up"
    bool MoveTowardsLast = false;  // "Move down", "Move to last"
    bool DebugPageVisible = false; // "Download mod page html (debugging)"
  };
  TMenuState MenuState(bool AShiftHeld);

  // The button's click: create a missing folder if the player agrees, check
  // the server, make the folder the game's, sync it when it follows its
  // server automatically, start the game.
  void MainClick();
  void UpdateMods();
  void RedownloadMods();
  void OpenServerModList();
  void OpenFolder();
  void MakeActive();
  void DownloadModPageHtml();
  enum class TMove { First, Up, Down, Last };
  void Move(TMove AMove);
  void Delete();
  void Edit();
  void Export();
  // The saves of the generation and what each needs of this folder.
  void ShowSavegames();

private:
  // The question when the folder does not exist; true when it exists now.
  bool EnsureFolder();
  // False, after telling the user why, when the game cannot see the folder.
  bool GameSeesFolder();
  // True, after telling the user why, for a server button without a folder.
  bool RefusedWithoutFolder();
  // A folder without a server needs none, and neither does one whose click
  // runs the update window; otherwise the server's page is checked, and a
  // refusal has been shown.
  bool ServerAnswers();
  // The main click brings the folder in line with its server.
  bool FollowsServerOnClick() const;
  // Refused while the game runs with this folder active.
  bool RefusedWhileActiveAndRunning(const QString& AWhat);
  QString NumberStr() const { return FSVersionToNumberStr(FFSVersion); }
  int IndexInList() const;

  TdmMain& FDataModule;
  TFSVersion FFSVersion;
  TModFolder& FModFolder;
  IModFolderButtonWindows& FWindows;
};

} // namespace tilvane
