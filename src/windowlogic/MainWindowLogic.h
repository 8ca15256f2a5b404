#pragma once

#include "core/game/FSVersion.h"

#include <QString>
#include <QStringList>

namespace tilvane {

class TdmMain;

// The decisions of the main window that need no widget: which generation
// tabs it shows and which one is selected, how high it is, and the Tools
// menu's deletions. The window (TfmMain) only shows what this says.
class TMainWindowLogic {
public:
  // The per-form settings of the main window are kept under this name.
  static QString ClassName() { return QStringLiteral("TfmMain"); }

  explicit TMainWindowLogic(TdmMain& ADataModule);

  // The tab strip: a tab per generation that is shown and has a program
  // location, oldest first, and the index of the selected one (-1 for none).
  struct TTabs {
    QStringList Captions;
    int Selected = -1;
  };
  // The last tab is selected; with ARestoreSelection and at least two tabs,
  // the one the user picked last ("ActiveTab") when it is still there.
  TTabs Tabs(bool ARestoreSelection);
  // The user picked a tab: remembered for the next start (empty for none).
  void RememberTab(const QString& ACaption);

  // The generation of a tab's caption; fsv25 when there is no tab. Raises
  // "Unknown Farming Simulator version: " + the caption for any other text.
  static TFSVersion FSVersionOfTab(const QString& ACaption, bool AHasTab = true);

  // The window's height: a header, the tab strip and one button per mod
  // folder, scaled from design pixels by the monitor's ADpi, plus the frame
  // the window manager adds; never more than the work area.
  struct THeight {
    int Folders = 0;
    int FrameHeight = 42; // design pixels of one button
    int HeaderHeight = 40;
    int TabHeight = 24; // as laid out (already scaled)
    double Dpi = 96;
    int NonClientHeight = 0;
    int WorkAreaHeight = 0; // 0: no limit
  };
  static int WindowHeight(const THeight& AHeight);

  // "Delete shader cache" and "Delete log file": refused with a message while
  // the generation's game runs. Errors of the deletion propagate.
  void DeleteShaderCache(TFSVersion AFSVersion);
  void DeleteLogFile(TFSVersion AFSVersion);

  // What the window tells when no generation has a tab.
  static QString NoGameDetectedMessage();
  static QString AddModFolderWithoutGameMessage();

private:
  TdmMain& FDataModule;
};

} // namespace tilvane
