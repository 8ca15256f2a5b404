#pragma once

#include "core/game/FSVersion.h"

#include <QDialog>

#include <memory>

class QTimer;

namespace Ui {
class TfmStartingFS;
}

namespace tilvane {

// Tells the player that the game is on its way: the game takes a while to show
// its first window, and without a notice the click would seem to have done
// nothing. Closes itself with OK after five seconds.
class TfmStartingFS : public QDialog {
  Q_OBJECT

public:
  TfmStartingFS(QWidget* AOwner, TFSVersion AFSVersion);
  ~TfmStartingFS() override;

private:
  void tmrCloseTimer();

  TFSVersion FFSVersion;
  std::unique_ptr<Ui::TfmStartingFS> FUi;
  QTimer* tmrClose;
};

} // namespace tilvane
