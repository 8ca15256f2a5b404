#pragma once

#include "core/crash/ExceptionReport.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <exception>
#include <memory>
#include <optional>

namespace Ui {
class TExceptionDialog;
}

namespace tilvane {

// The report window of an error that no handler caught: a few plain
// sentences with the error's message, and under the Details button the
// technical report. Ctrl+C anywhere in the window copies both to the
// clipboard. Nothing is written anywhere and nothing is sent.
//
// The technical report takes a moment (stacks are named, /proc is read), so
// the window builds it only once it is on the screen; until then the Details
// button is disabled. CreateDetails builds it at once for a window that is
// never shown.
class TExceptionDialog : public QDialog {
  Q_OBJECT

public:
  // The report that a run which ended on a fatal signal left behind.
  struct TPreviousCrash {
    QString Report;
  };

  // The report on AError. The focused control is noted now, before the
  // window takes the focus.
  explicit TExceptionDialog(std::exception_ptr AError, QWidget* AParent = nullptr);
  // The previous run's report, complete and unfolded, under a short text that
  // says what it is.
  explicit TExceptionDialog(const TPreviousCrash& ACrash, QWidget* AParent = nullptr);
  ~TExceptionDialog() override;

  // Builds the technical report unless it is built already, then enables the
  // buttons (also when building failed) and focuses OK.
  void CreateDetails();
  bool DetailsCreated() const { return FDetailsCreated; }

  void SetDetailsVisible(bool AValue);
  bool DetailsVisible() const { return FDetailsVisible; }

  // The short text, an empty line and the details: what Ctrl+C copies.
  QString GetReportAsText() const;
  void CopyReportToClipboard();

  // AFocused and its parents up to its window, each as its class name and its
  // object name in double quotes. Empty without a focused control.
  static QStringList ActiveControlsHierarchy(QWidget* AFocused);

protected:
  bool event(QEvent* AEvent) override;
  bool eventFilter(QObject* AWatched, QEvent* AEvent) override;
  void showEvent(QShowEvent* AEvent) override;

private:
  explicit TExceptionDialog(QWidget* AParent);
  void FormCreate();
  void ShowTexts(const QString& AShortText, const QString& ADetails);
  void DetailsBtnClick();
  bool HandleCopyKey(QEvent* AEvent);

  std::unique_ptr<Ui::TExceptionDialog> FUi;
  // None for a previous run's report, whose details are complete from the start.
  std::optional<TExceptionReport> FReport;
  // The control that had the focus when the report started, as the report
  // names it: by the time the details are built it may be gone.
  QStringList FLastActiveControl;
  // The memos' texts as given, with their CR LF line breaks (a text edit
  // gives its text back with LF only).
  QString FShortText;
  QString FDetailsText;
  bool FDetailsVisible = false;
  bool FDetailsCreated = false;
  bool FShown = false;
  int FNonDetailsHeight = 0; // window height folded; 0 until first folded
  int FFullHeight = 0;       // window height unfolded
};

} // namespace tilvane
