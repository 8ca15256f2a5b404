#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfmWaiting;
}

namespace tilvane {

// Tells the player what the program waits for, and lets them stop waiting.
// It does not close itself on Cancel: whoever showed it closes it once the
// job has stopped, a moment later.
class TfmWaiting : public QDialog {
  Q_OBJECT

public:
  TfmWaiting(QWidget* AOwner, const QString& AWhat, std::function<void()> AOnCancel);
  ~TfmWaiting() override;

  // Escape and the window's close button cancel like the button does.
  void reject() override;

private:
  void btnCancelClick();

  std::unique_ptr<Ui::TfmWaiting> FUi;
  std::function<void()> FOnCancel;
};

} // namespace tilvane
