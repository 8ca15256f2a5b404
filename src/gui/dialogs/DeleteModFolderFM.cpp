#include "gui/dialogs/DeleteModFolderFM.h"

#include "ui_DeleteModFolderFM.h"

namespace tilvane {

TfmDeleteModFolder::TfmDeleteModFolder(QWidget* AOwner)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmDeleteModFolder>()) {
  FUi->setupUi(this);
  connect(FUi->btnYes, &QPushButton::clicked, this, &QDialog::accept);
  connect(FUi->btnNo, &QPushButton::clicked, this, &QDialog::reject);
}

TfmDeleteModFolder::~TfmDeleteModFolder() = default;

QCheckBox* TfmDeleteModFolder::chkRemoveFolder() const {
  return FUi->chkRemoveFolder;
}

void TfmDeleteModFolder::setVisible(bool AVisible) {
  if (AVisible && !isVisible())
    FormShow();
  QDialog::setVisible(AVisible);
}

void TfmDeleteModFolder::FormShow() {
  chkRemoveFolderChange();
  // The design size suits the Windows dialog font. A wider font, as on most
  // Linux desktops, would cut the long caption off: the check box cannot
  // wrap, so the dialog grows to fit it and stays fixed at that size.
  setFixedSize(minimumSize().expandedTo(sizeHint()));
  FUi->btnNo->setFocus(Qt::OtherFocusReason);
}

// Run once when shown, not on every toggle: the long caption explains the
// state the caller chose (a folder that follows a server is the program's to
// manage), and rewording under the user's mouse would only distract.
void TfmDeleteModFolder::chkRemoveFolderChange() {
  FUi->chkRemoveFolder->setText(
      FUi->chkRemoveFolder->isChecked()
          ? QStringLiteral("Remove folder and mods (uncheck if you want to manage this yourself)")
          : QStringLiteral("Remove folder and mods"));
}

} // namespace tilvane
