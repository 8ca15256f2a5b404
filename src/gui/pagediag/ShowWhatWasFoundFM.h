#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tilvane {

class IPromptService;

// Shows a fetched server page as plain text and saves it to a file on request.
class TfmShowWhatWasFound : public QDialog {
  Q_OBJECT

public:
  explicit TfmShowWhatWasFound(IPromptService& APrompts, QWidget* AParent = nullptr);

  // The fetched page; set before showing.
  QString ModPage;
  // Where the save dialog starts; empty for the dialog's default.
  QString SaveFolder;

  QPlainTextEdit* mmoPage() const { return FMmoPage; }
  QPushButton* btnSave() const { return FBtnSave; }
  QPushButton* btnOk() const { return FBtnOk; }

public Q_SLOTS:
  // Raises EAppError when the file cannot be written; the window stays open.
  void btnSaveClick();
  void btnOkClick();

protected:
  void showEvent(QShowEvent* AEvent) override;

private:
  void FormShow();

  IPromptService& FPrompts;
  QPlainTextEdit* FMmoPage;
  QWidget* FPanel1;
  QPushButton* FBtnSave;
  QPushButton* FBtnOk;
};

} // namespace tilvane
