#pragma once

namespace tilvane {

class TModFolder;
struct TSavegamesReport;

// The windows a mod folder button opens, as the button's actions need them.
// The button frame shows the real ones; tests answer in their place.
class IModFolderButtonWindows {
public:
  virtual ~IModFolderButtonWindows() = default;

  // The update window for the folder, shown modally; true when it ended
  // with OK (the folder is in line with its server).
  virtual bool RunUpdate(bool ADeleteAllFilesFirst) = 0;
  // The notice that the game is being started; it closes by itself.
  virtual void ShowStartingNotice() = 0;
  // The confirmation before the button goes. ARemoveFolder is the check
  // box's state: set by the caller before, the user's choice after. True
  // for Yes.
  virtual bool ConfirmDelete(bool& ARemoveFolder) = 0;
  // The edit dialog, filled from AModFolder; true for OK, with AModFolder
  // changed in place.
  virtual bool EditModFolder(TModFolder& AModFolder) = 0;
  // The saves of the generation and what each needs of the folder.
  virtual void ShowSavegames(const TSavegamesReport& AReport) = 0;
  // Saves the button to a file that other players can import.
  virtual void ExportModFolder(const TModFolder& AModFolder) = 0;
  // The main window redraws every button once it is back in its event loop:
  // the frame asking for it is destroyed by the redraw.
  virtual void QueueRedraw() = 0;
  // The button shows the folder's name and server mark anew.
  virtual void Refresh() = 0;
};

} // namespace tilvane
