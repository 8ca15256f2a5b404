#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfmDeveloperInfo;
}

namespace tilvane {

class TdmMain;

// The developer listing in a window of its own, for a player to read or
// copy when reporting a problem. The listing is built once, as the window is
// created (TDeveloperInfo), and not refreshed.
class TfmDeveloperInfo : public QDialog {
  Q_OBJECT

public:
  TfmDeveloperInfo(QWidget* AOwner, TdmMain& ADataModule);
  ~TfmDeveloperInfo() override;

  // Centres the window on the screen before it first appears.
  void setVisible(bool AVisible) override;

private:
  void FormCreate();

  std::unique_ptr<Ui::TfmDeveloperInfo> FUi;
  TdmMain& FDataModule;
  bool FPlaced = false;
};

} // namespace tilvane
