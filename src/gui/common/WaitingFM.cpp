#include "gui/common/WaitingFM.h"

#include "ui_WaitingFM.h"

namespace tilvane {

TfmWaiting::TfmWaiting(QWidget* AOwner, const QString& AWhat, std::function<void()> AOnCancel)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmWaiting>()), FOnCancel(std::move(AOnCancel)) {
  FUi->setupUi(this);
  FUi->lblWaitingFor->setText(AWhat);
  connect(FUi->btnCancel, &QPushButton::clicked, this, &TfmWaiting::btnCancelClick);
}

TfmWaiting::~TfmWaiting() = default;

void TfmWaiting::reject() {
  btnCancelClick();
}

void TfmWaiting::btnCancelClick() {
  // Once is enough; the greyed button shows that the click was taken.
  FUi->btnCancel->setEnabled(false);
  if (FOnCancel)
    FOnCancel();
}

} // namespace tilvane
