#pragma once

#include "core/game/FSVersion.h"
#include "core/logviewer/LogFollower.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QListView;
class QSplitter;
class QTimer;
class QWidget;

namespace Ui {
class TfmLogViewer;
}

namespace tilvane {

class TdmMain;
class TLogEditor;
class TLogEntryModel;
class TfmSearch;

// The modeless window that follows the game's log beside the running game:
// the text with line numbers above, the warnings and errors below. The work
// is done by TLogFollower; this window shows what it found.
class TfmLogViewer : public QMainWindow {
  Q_OBJECT
public:
  // Centred on ACentreOn until a position has been remembered. The window
  // deletes itself when it is closed.
  TfmLogViewer(TdmMain& ADataModule, TFSVersion AFSVersion, QWidget* ACentreOn = nullptr);
  ~TfmLogViewer() override;

  static QString ClassName() { return QStringLiteral("TfmLogViewer"); }

  TFSVersion FSVersion() const { return FFSVersion; }
  const QString& LogFileName() const { return FLogFileName; }
  const TLogFollower& Follower() const { return FFollower; }

  void LoadLogFile(bool AForceLoad);
  void ParseLog(qsizetype AStartLine);
  QString edtLogGutterGetText(int ALine) const;

  // Handlers, public so that tests drive them as the user would.
  void Open1Click();
  void Saveas1Click();
  void Email1Click();
  void Find1Click();
  void JvDragDrop1Drop(const QStringList& AFileNames);
  void lbxLogDblClick();
  void tmrAutoRefreshTimer();

  // The designed controls under their designed names, so that tests reach
  // them as the user would; they point into FUi.
  TLogEditor* edtLog;
  QWidget* pnlLogStatus;
  QLabel* lblLines;
  QLabel* lblPosition;
  QCheckBox* chkScrollToBottomLog;
  QSplitter* splBottom;
  QWidget* pnlErrors;
  QListView* lbxLog;
  QCheckBox* chkShowErrors;
  QCheckBox* chkShowWarnings;
  QCheckBox* chkAutoRefresh;
  QCheckBox* chkScrollToBottomParsed;
  QAction* Open1;
  QAction* Saveas1;
  QAction* Email1;
  QAction* Find1;
  // Built in code: a timer is not part of the layout.
  QTimer* tmrAutoRefresh;
  TfmSearch* FfmSearch = nullptr;

protected:
  void showEvent(QShowEvent* AEvent) override;

private:
  void BuildWindow();
  void ConnectHandlers();
  void FormCreate();
  void FormDestroy();
  void edtLogChange();
  void edtLogStatusChange();
  void chkShowWarningsClick();
  void chkAutoRefreshClick();
  void EntriesChanged(qsizetype AFirstChanged);
  int ErrorPanelHeight() const;
  void SetErrorPanelHeight(int AHeight);

  std::unique_ptr<Ui::TfmLogViewer> FUi;
  TdmMain& FDataModule;
  TFSVersion FFSVersion;
  QPointer<QWidget> FCentreOn;
  QString FLogFileName;
  TLogFollower FFollower;
  TLogEntryModel* FEntryModel = nullptr;
  int FLastLine = 1;
  bool FShown = false;
};

} // namespace tilvane
