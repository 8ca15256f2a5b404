#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tilvane {

class IPromptService;

// Tells the user that a server URL led to neither a login page nor a mod list
// page, and offers to show what was found there.
class TfmUnknownModPage : public QDialog {
  Q_OBJECT

public:
  explicit TfmUnknownModPage(IPromptService& APrompts, QWidget* AParent = nullptr);

  // The fetched page; set before showing.
  QString ModPage;
  // Where the page window's save dialog starts; empty for the dialog's default.
  QString SaveFolder;

  QPushButton* btnShow() const { return FBtnShow; }
  QPushButton* btnOk() const { return FBtnOk; }

public Q_SLOTS:
  void btnShowClick();
  void btnOkClick();

private:
  IPromptService& FPrompts;
  QLabel* FLabel1;
  QPushButton* FBtnShow;
  QPushButton* FBtnOk;
};

} // namespace tilvane
