#pragma once

#include "core/game/FSVersion.h"
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

  std::unique_ptr<Ui::TfmSettings> FUi;
  TdmMain& FDataModule;
  TSettingsLogic FLogic;
  // The theme Cancel goes back to, remembered as the dialog opens.
  QString FOldTheme;
};

} // namespace tilvane
