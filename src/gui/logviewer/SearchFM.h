#pragma once

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;

namespace Ui {
class TfmSearch;
}

namespace tilvane {

// The find dialog of the log viewer. It lives as long as the viewer: closing
// it only hides it, so the options are as they were when it is shown again.
class TfmSearch : public QDialog {
  Q_OBJECT
public:
  TfmSearch(QWidget* AOwner, QPlainTextEdit* AEditor);
  ~TfmSearch() override;

  // The designed controls under their designed names, so that tests reach
  // them as the user would; they point into FUi.
  QComboBox* cbFind;
  QCheckBox* chkCaseSensitive;
  QCheckBox* chkWholeWordOnly;
  QCheckBox* chkRegularExpresions;
  QRadioButton* rbFoward;
  QRadioButton* rbBackward;
  QRadioButton* rbGlobal;
  QRadioButton* rbSelectedText;
  QRadioButton* rbFromCursor;
  QRadioButton* rbEntireScope;
  QPushButton* btnFindNext;
  QPushButton* btnClose;
  QStatusBar* barStatus;

  void btnFindNextClick();

private:
  void ConnectHandlers();

  std::unique_ptr<Ui::TfmSearch> FUi;
  QPlainTextEdit* FEditor;
  // The selection searched with "Selected Text": the user's selection, kept
  // while Find Next selects the matches inside it.
  int FScopeStart = 0;
  int FScopeEnd = 0;
  int FLastMatchStart = -1;
  int FLastMatchEnd = -1;
  // "Entire scope" starts the first search over; the next ones go on from the match.
  bool FRestartScope = true;
};

} // namespace tilvane
