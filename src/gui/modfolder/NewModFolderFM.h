#pragma once

#include "core/game/FSVersion.h"
#include "core/modfolders/ModFolder.h"
#include "windowlogic/NewModFolderLogic.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QLineEdit;
class QToolButton;

namespace Ui {
class TfmNewModFolder;
}

namespace tilvane {

class TdmMain;

// The dialog that describes a new mod folder button, or changes an existing
// one: its name, directory, dedicated server with web login, the two sync
// options and the game's join filter and password. While a new button is
// named it proposes a directory for it. It only edits its controls: the
// caller reads them with SaveToTModFolder after OK and saves the list. The
// decisions are TNewModFolderLogic's; the dialog shows them.
class TfmNewModFolder : public QDialog {
  Q_OBJECT

public:
  // Opens as a new button of AFSVersion, proposing a directory at once.
  TfmNewModFolder(QWidget* AOwner, TFSVersion AFSVersion, TdmMain& ADataModule);
  ~TfmNewModFolder() override;

  // The dialog for a new button, shown modally: the folder the player
  // described, or nothing when he cancelled.
  static std::optional<TModFolder> NewModFolder(QWidget* AOwner, TFSVersion AFSVersion,
                                                TdmMain& ADataModule);
  // The dialog for AModFolder, shown modally; on OK (then true) AModFolder
  // holds the player's changes.
  static bool EditModFolder(QWidget* AOwner, TFSVersion AFSVersion, TdmMain& ADataModule,
                            TModFolder& AModFolder);

  void SetEditMode(bool AValue);
  // Switches to edit mode and shows AModFolder's fields.
  void LoadFromTModFolder(const TModFolder& AMf);
  // The fields as typed, untrimmed; only the stats feed's address is trimmed.
  void SaveToTModFolder(TModFolder& AMf) const;

  // Fixes the size and centres the dialog on the screen before it appears.
  void setVisible(bool AVisible) override;

private:
  void FormCreate();
  void FormShow();
  void ConnectHandlers();
  void GenerateSuggestedDir();

  void edtNameChange();
  void edtModFolderKeyPress();
  void btnModFolderClick();
  void btnOkClick();
  void btnShowWebPasswordClick();
  void btnShowGamePasswordClick();
  void btnImportSettingsClick();
  void btnHowToGetServerURLClick();
  void btnImportModFolderClick();

  static void TogglePassword(QLineEdit& AEdit, QToolButton& AButton);

  std::unique_ptr<Ui::TfmNewModFolder> FUi;
  TdmMain& FDataModule;
  TNewModFolderLogic FLogic;
};

} // namespace tilvane
