#pragma once

#include "core/common/WorkerJob.h"
#include "core/game/FSVersion.h"
#include "core/update/ModSharing.h"
#include "windowlogic/SettingsLogic.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLineEdit;

namespace Ui {
class TfmSettings;
}

namespace tilvane {

class TdmMain;

// The settings dialog: where each game's executable lies, the root of the
// mod folders, the theme, and the player's in-game name and developer
// console kept in the games' own files. A theme picked in the list shows at
// once; Cancel brings the previous one back, OK stores everything.
// QDialog::Accepted only through OK; the window's close box rejects without
// touching the theme, so a previewed theme stays for the rest of the run.
class TfmSettings : public QDialog {
  Q_OBJECT

public:
  TfmSettings(QWidget* AOwner, TdmMain& ADataModule);
  ~TfmSettings() override;

  // The handlers, also for tests.
  void btnFS19LocationClick();
  void btnFS22LocationClick();
  void btnFS25LocationClick();
  void btnModFoldersClick();
  void cmbThemeChange();
  void btnCopyLaunchOptionClick();
  void btnShareModsClick();
  // Whether the label shows what the last search for identical archives
  // found (for tests).
  bool SharingSearchEnded() const;
  void btnOkClick();
  void btnCancelClick();

protected:
  // Neither Escape nor Enter closes the dialog by themselves: Enter presses
  // the button that has the focus and nothing else.
  void keyPressEvent(QKeyEvent* AEvent) override;

private:
  void FormCreate();
  void ConnectHandlers();
  void LocationClick(TFSVersion AFSVersion);
  QLineEdit* LocationBox(TFSVersion AFSVersion) const;
  TSettingsLogic::TValues Values() const;
  void FillLaunchOptions();
  // Looks for identical archives on a worker; the label and the button
  // show what it found once it ends.
  void StartSharingSearch();
  void SharingSearchFinished();

  std::unique_ptr<Ui::TfmSettings> FUi;
  TdmMain& FDataModule;
  TSettingsLogic FLogic;
  std::unique_ptr<TModSharing> FSharing;
  // Declared after FSharing: destroyed first, it stops and waits for the
  // search that fills FSharing.
  std::unique_ptr<TWorkerJob> FSharingJob;
  bool FSharingShown = false; // the label says what the last search found
  // The theme Cancel goes back to, remembered as the dialog opens.
  QString FOldTheme;
};

} // namespace tilvane
