#include "gui/dialogs/StartingFSFM.h"

#include "ui_StartingFSFM.h"

#include <QTimer>

namespace tilvane {

TfmStartingFS::TfmStartingFS(QWidget* AOwner, TFSVersion AFSVersion)
    : QDialog(AOwner), FFSVersion(AFSVersion), FUi(std::make_unique<Ui::TfmStartingFS>()),
      tmrClose(new QTimer(this)) {
  FUi->setupUi(this);
  const QString Number = FSVersionToNumberStr(FFSVersion);
  FUi->Label1->setText(QStringLiteral("Please wait while Farming Simulator ") + Number +
                       QStringLiteral(" is started for you..."));
  setWindowTitle(QStringLiteral("Starting Farming Simulator ") + Number);

  // Running from creation: the caller shows the notice at once, so the five
  // seconds are the time it stays on screen.
  tmrClose->setObjectName(QStringLiteral("tmrClose"));
  tmrClose->setInterval(5000);
  connect(tmrClose, &QTimer::timeout, this, &TfmStartingFS::tmrCloseTimer);
  tmrClose->start();
}

TfmStartingFS::~TfmStartingFS() = default;

void TfmStartingFS::tmrCloseTimer() {
  accept();
}

} // namespace tilvane
