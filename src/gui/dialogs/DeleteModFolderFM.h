#pragma once

#include <QCheckBox> // callers tick and read chkRemoveFolder()
#include <QDialog>

#include <memory>

namespace Ui {
class TfmDeleteModFolder;
}

namespace tilvane {

// Asks before a mod folder button goes, and whether its folder and mods go
// with it. Yes is QDialog::Accepted, No is QDialog::Rejected. No is the safe
// answer, so it has the focus and takes Enter and Escape.
class TfmDeleteModFolder : public QDialog {
  Q_OBJECT

public:
  explicit TfmDeleteModFolder(QWidget* AOwner);
  ~TfmDeleteModFolder() override;

  // The caller ticks it before exec() and reads the user's choice afterwards.
  QCheckBox* chkRemoveFolder() const;

  // Runs FormShow before the dialog appears, so that it is centred on its
  // owner at its final size.
  void setVisible(bool AVisible) override;

private:
  void FormShow();
  void chkRemoveFolderChange();

  std::unique_ptr<Ui::TfmDeleteModFolder> FUi;
};

} // namespace tilvane
