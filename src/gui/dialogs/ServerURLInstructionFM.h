#pragma once

#include <QDialog>

#include <memory>

class QShowEvent;

namespace Ui {
class TfmServerURLInstruction;
}

namespace tilvane {

// Illustrated steps that lead a server's administrator to the address of the
// server's public mod list, for players who have no web login.
class TfmServerURLInstruction : public QDialog {
  Q_OBJECT

public:
  explicit TfmServerURLInstruction(QWidget* AOwner);
  ~TfmServerURLInstruction() override;

protected:
  void showEvent(QShowEvent* AEvent) override;

private:
  void DrawPictures();

  std::unique_ptr<Ui::TfmServerURLInstruction> FUi;
};

} // namespace tilvane
