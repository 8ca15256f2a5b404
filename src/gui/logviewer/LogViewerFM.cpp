#include "gui/logviewer/LogViewerFM.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"
#include "gui/common/WindowUpdate.h"
#include "gui/logviewer/LogEditor.h"
#include "gui/logviewer/LogEntryDelegate.h"
#include "gui/logviewer/LogEntryModel.h"
#include "gui/logviewer/LogHighlighter.h"
#include "gui/logviewer/SearchFM.h"
#include "platform/Platform.h"

#include "ui_LogViewerFM.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QListView>
#include <QMenuBar>
#include <QSaveFile>
#include <QScreen>
#include <QTextBlock>
#include <QTimer>

namespace tilvane {

namespace {

// The error panel's height as designed, until the user has dragged the
// splitter.
constexpr int DesignedPanelHeight = 121;

TFileDialogOptions LogFileDialog() {
  TFileDialogOptions Options;
  Options.FileTypes = {{QStringLiteral("Log file"), QStringLiteral("*.txt")}};
  Options.DefaultExtension = QStringLiteral("txt");
  return Options;
}

} // namespace

TfmLogViewer::TfmLogViewer(TdmMain& ADataModule, TFSVersion AFSVersion, QWidget* ACentreOn)
    : QMainWindow(nullptr), FUi(std::make_unique<Ui::TfmLogViewer>()), FDataModule(ADataModule),
      FFSVersion(AFSVersion), FCentreOn(ACentreOn) {
  setAttribute(Qt::WA_DeleteOnClose);
  BuildWindow();
  ConnectHandlers();
  FormCreate();
  setWindowTitle(QStringLiteral("FS") + FSVersionToNumberStr(FFSVersion) +
                 QStringLiteral(" Log Viewer"));
}

TfmLogViewer::~TfmLogViewer() {
  // Nothing may escape a destructor: a settings file that cannot be written
  // loses this window's state, and the next write elsewhere reports it.
  try {
    FormDestroy();
  } catch (const std::exception&) {
  }
}

void TfmLogViewer::BuildWindow() {
  FUi->setupUi(this);
  // The designed height is the client area's; the menu bar's height depends
  // on the style.
  resize(width(), height() + menuBar()->sizeHint().height());
  edtLog = FUi->edtLog;
  pnlLogStatus = FUi->pnlLogStatus;
  lblLines = FUi->lblLines;
  lblPosition = FUi->lblPosition;
  chkScrollToBottomLog = FUi->chkScrollToBottomLog;
  splBottom = FUi->splBottom;
  pnlErrors = FUi->pnlErrors;
  lbxLog = FUi->lbxLog;
  chkShowErrors = FUi->chkShowErrors;
  chkShowWarnings = FUi->chkShowWarnings;
  chkAutoRefresh = FUi->chkAutoRefresh;
  chkScrollToBottomParsed = FUi->chkScrollToBottomParsed;
  Open1 = FUi->Open1;
  Saveas1 = FUi->Saveas1;
  Email1 = FUi->Email1;
  Find1 = FUi->Find1;

  FUi->edtLog->SetGutterText([this](int ALine) { return edtLogGutterGetText(ALine); });
  new TLogHighlighter(FUi->edtLog->document());
  FUi->lbxLog->setItemDelegate(new TLogEntryDelegate(FUi->lbxLog));
  FEntryModel = new TLogEntryModel(FFollower, FUi->lbxLog);
  FUi->lbxLog->setModel(FEntryModel);

  tmrAutoRefresh = new QTimer(this);
  tmrAutoRefresh->setObjectName(QStringLiteral("tmrAutoRefresh"));
  tmrAutoRefresh->setInterval(500);
}

void TfmLogViewer::ConnectHandlers() {
  connect(FUi->Open1, &QAction::triggered, this, &TfmLogViewer::Open1Click);
  connect(FUi->Saveas1, &QAction::triggered, this, &TfmLogViewer::Saveas1Click);
  connect(FUi->Email1, &QAction::triggered, this, &TfmLogViewer::Email1Click);
  connect(FUi->Find1, &QAction::triggered, this, &TfmLogViewer::Find1Click);
  connect(FUi->edtLog, &TLogEditor::FilesDropped, this, &TfmLogViewer::JvDragDrop1Drop);
  connect(FUi->edtLog, &QPlainTextEdit::cursorPositionChanged, this,
          &TfmLogViewer::edtLogStatusChange);
  connect(FUi->edtLog, &QPlainTextEdit::blockCountChanged, this, &TfmLogViewer::edtLogStatusChange);
  connect(FUi->lbxLog, &QListView::doubleClicked, this, &TfmLogViewer::lbxLogDblClick);
  connect(FUi->chkShowErrors, &QCheckBox::clicked, this, &TfmLogViewer::chkShowWarningsClick);
  connect(FUi->chkShowWarnings, &QCheckBox::clicked, this, &TfmLogViewer::chkShowWarningsClick);
  connect(FUi->chkAutoRefresh, &QCheckBox::toggled, this, &TfmLogViewer::chkAutoRefreshClick);
  connect(tmrAutoRefresh, &QTimer::timeout, this, &TfmLogViewer::tmrAutoRefreshTimer);
}

void TfmLogViewer::FormCreate() {
  FLastLine = 1;
  const QString Folder = FDataModule.GetFSMyGamesFolder(FFSVersion);
  // Without the game's folder there is no log: a bare "log.txt" would name
  // whatever file lies in the current folder.
  FLogFileName = Folder.isEmpty() ? QString() : JoinPath(Folder, QStringLiteral("log.txt"));
  FFollower.SetLogFileName(FLogFileName);

  const QString Name = ClassName();
  const QPoint Pos = FDataModule.GetFormPos(Name);
  if (Pos.x() != TdmMain::NotSaved)
    move(Pos);
  else if (FCentreOn)
    move(FCentreOn->frameGeometry().center() - rect().center());
  const QPoint Size = FDataModule.GetFormSize(Name);
  if (Size.x() != TdmMain::NotSaved)
    resize(Size.x(), Size.y());
  // Fully onto a monitor when it lies partly outside.
  if (QScreen* Screen = QGuiApplication::screenAt(geometry().center())
                            ? QGuiApplication::screenAt(geometry().center())
                            : QGuiApplication::primaryScreen()) {
    const QRect Area = Screen->availableGeometry();
    QRect Frame = frameGeometry();
    Frame.moveRight(std::min(Frame.right(), Area.right()));
    Frame.moveBottom(std::min(Frame.bottom(), Area.bottom()));
    Frame.moveLeft(std::max(Frame.left(), Area.left()));
    Frame.moveTop(std::max(Frame.top(), Area.top()));
    move(Frame.topLeft());
  }

  SetErrorPanelHeight(
      FDataModule.GetFormInteger(Name, QStringLiteral("ErrorPanelHeight"), DesignedPanelHeight));
  FUi->chkShowErrors->setChecked(
      FDataModule.GetFormBoolean(Name, QStringLiteral("ShowErrors"), true));
  FUi->chkShowWarnings->setChecked(
      FDataModule.GetFormBoolean(Name, QStringLiteral("ShowWarnings"), true));
  FUi->chkAutoRefresh->setChecked(
      FDataModule.GetFormBoolean(Name, QStringLiteral("AutoRefresh"), true));
  FUi->chkScrollToBottomLog->setChecked(
      FDataModule.GetFormBoolean(Name, QStringLiteral("ScrollToBottomLog"), true));
  FUi->chkScrollToBottomParsed->setChecked(
      FDataModule.GetFormBoolean(Name, QStringLiteral("ScrollToBottomParsed"), true));
  FFollower.SetShowErrors(FUi->chkShowErrors->isChecked());
  FFollower.SetShowWarnings(FUi->chkShowWarnings->isChecked());
  chkAutoRefreshClick();
}

void TfmLogViewer::FormDestroy() {
  const QString Name = ClassName();
  const bool Maximized = isMaximized();
  if (!Maximized) {
    FDataModule.SetFormPos(Name, pos());
    FDataModule.SetFormSize(Name, QPoint(width(), height()));
  }
  FDataModule.SetFormIsMaximized(Name, Maximized);
  FDataModule.SetFormInteger(Name, QStringLiteral("ErrorPanelHeight"), ErrorPanelHeight());
  FDataModule.SetFormBoolean(Name, QStringLiteral("ShowErrors"), FUi->chkShowErrors->isChecked());
  FDataModule.SetFormBoolean(Name, QStringLiteral("ShowWarnings"),
                             FUi->chkShowWarnings->isChecked());
  FDataModule.SetFormBoolean(Name, QStringLiteral("AutoRefresh"), FUi->chkAutoRefresh->isChecked());
  FDataModule.SetFormBoolean(Name, QStringLiteral("ScrollToBottomLog"),
                             FUi->chkScrollToBottomLog->isChecked());
  FDataModule.SetFormBoolean(Name, QStringLiteral("ScrollToBottomParsed"),
                             FUi->chkScrollToBottomParsed->isChecked());
}

int TfmLogViewer::ErrorPanelHeight() const {
  const QList<int> Sizes = FUi->splBottom->sizes();
  return Sizes.size() == 2 && Sizes[1] > 0 ? Sizes[1] : DesignedPanelHeight;
}

void TfmLogViewer::SetErrorPanelHeight(int AHeight) {
  const int Total = std::max(FUi->splBottom->height(), AHeight + 28);
  FUi->splBottom->setSizes({Total - AHeight, AHeight});
}

void TfmLogViewer::showEvent(QShowEvent* AEvent) {
  if (!FShown) {
    FShown = true;
    if (FDataModule.GetFormIsMaximized(ClassName()))
      setWindowState(windowState() | Qt::WindowMaximized);
    LoadLogFile(true);
  }
  QMainWindow::showEvent(AEvent);
}

void TfmLogViewer::LoadLogFile(bool AForceLoad) {
  FFollower.SetLogFileName(FLogFileName);
  const TLogLoadResult Result = FFollower.LoadLogFile(AForceLoad);
  using TKind = TLogLoadResult::TKind;
  if (Result.Kind == TKind::Unchanged || Result.Kind == TKind::OpenFailed)
    return;
  TWindowUpdateGuard NoRedraw(this);
  if (Result.Kind == TKind::Patched) {
    QTextDocument* Document = FUi->edtLog->document();
    QTextCursor Cursor(Document);
    Cursor.beginEditBlock();
    if (Result.ReplacedLine >= 0) {
      const QTextBlock Block = Document->findBlockByNumber(static_cast<int>(Result.ReplacedLine));
      Cursor.setPosition(Block.position());
      Cursor.setPosition(Block.position() + Block.length() - 1, QTextCursor::KeepAnchor);
      Cursor.insertText(FFollower.Line(Result.ReplacedLine).toString());
    }
    if (Result.FirstNewLine < FFollower.LineCount()) {
      Cursor.movePosition(QTextCursor::End);
      const QString Added = FFollower.TextFrom(Result.FirstNewLine).toString();
      Cursor.insertText(Result.FirstNewLine > 0 ? QLatin1Char('\n') + Added : Added);
    }
    Cursor.endEditBlock();
  } else {
    FUi->edtLog->setPlainText(FFollower.Text());
  }
  EntriesChanged(Result.FirstChangedEntry);
  edtLogChange();
}

void TfmLogViewer::edtLogChange() {
  if (FUi->chkScrollToBottomLog->isChecked() && FFollower.LineCount() > 0)
    FUi->edtLog->GoToLineCentred(static_cast<int>(FFollower.LineCount()));
  edtLogStatusChange();
}

void TfmLogViewer::ParseLog(qsizetype AStartLine) {
  EntriesChanged(FFollower.ParseLog(AStartLine));
}

void TfmLogViewer::EntriesChanged(qsizetype AFirstChanged) {
  FEntryModel->EntriesChanged(AFirstChanged);
  FUi->chkShowErrors->setText(QStringLiteral("Show errors (") +
                              QString::number(FFollower.TotalErrors()) + QLatin1Char(')'));
  FUi->chkShowWarnings->setText(QStringLiteral("Show warnings (") +
                                QString::number(FFollower.TotalWarnings()) + QLatin1Char(')'));
  if (FUi->chkScrollToBottomParsed->isChecked())
    FUi->lbxLog->scrollToBottom();
}

QString TfmLogViewer::edtLogGutterGetText(int ALine) const {
  if (ALine == 1 || ALine % 10 == 0 || ALine == FUi->edtLog->CaretLine())
    return QString::number(ALine);
  return QStringLiteral(".");
}

void TfmLogViewer::edtLogStatusChange() {
  // The old caret line turns back into a dot, the new one shows its number.
  FUi->edtLog->Gutter()->update();
  FLastLine = FUi->edtLog->CaretLine();
  const int Lines = FUi->edtLog->document()->isEmpty() ? 0 : FUi->edtLog->blockCount();
  FUi->lblLines->setText(QStringLiteral("Lines: ") + QString::number(Lines));
  FUi->lblPosition->setText(QStringLiteral("Position: ") + QString::number(FLastLine) +
                            QStringLiteral(": ") +
                            QString::number(FUi->edtLog->textCursor().positionInBlock() + 1));
}

void TfmLogViewer::chkShowWarningsClick() {
  FFollower.SetShowErrors(FUi->chkShowErrors->isChecked());
  FFollower.SetShowWarnings(FUi->chkShowWarnings->isChecked());
  ParseLog(0);
}

void TfmLogViewer::chkAutoRefreshClick() {
  if (FUi->chkAutoRefresh->isChecked())
    tmrAutoRefresh->start();
  else
    tmrAutoRefresh->stop();
}

void TfmLogViewer::tmrAutoRefreshTimer() {
  LoadLogFile(false);
}

void TfmLogViewer::Open1Click() {
  TFileDialogOptions Options = LogFileDialog();
  const QString FileName = FDataModule.Prompts().OpenFile(Options);
  if (FileName.isEmpty())
    return;
  FLogFileName = FileName;
  LoadLogFile(true);
}

void TfmLogViewer::Saveas1Click() {
  TFileDialogOptions Options = LogFileDialog();
  Options.OverwritePrompt = true;
  const QString Target = FDataModule.Prompts().SaveFile(Options);
  if (Target.isEmpty())
    return;
  // The file on disk, not the view: the copy is what the game wrote. The
  // target is replaced in one step, so a failed copy leaves it as it was.
  QFile Source(FLogFileName);
  QSaveFile Copy(Target);
  const auto Fail = [&](const QString& AReason) {
    throw EAppError(QStringLiteral("Unable to copy ") + FLogFileName + QStringLiteral(" to ") +
                    Target + QStringLiteral("\r\nError: ") + AReason);
  };
  if (!Source.open(QIODevice::ReadOnly))
    Fail(Source.errorString());
  // Unbuffered, so that every short write shows here: the final flush inside
  // commit() goes unchecked.
  if (!Copy.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    Fail(Copy.errorString());
  while (!Source.atEnd()) {
    const QByteArray Chunk = Source.read(1 << 20);
    if (Chunk.isEmpty() && Source.error() != QFileDevice::NoError)
      Fail(Source.errorString());
    if (Copy.write(Chunk) != Chunk.size())
      Fail(Copy.errorString());
  }
  if (!Copy.commit())
    Fail(Copy.errorString());
}

void TfmLogViewer::Email1Click() {
  platform::MailMessage Message;
  Message.Subject = "Farming Simulator log file";
  Message.Body = "Here's my Farming Simulator log file.";
  Message.Attachments.push_back(ToPlatform(FLogFileName));
  if (!FDataModule.Platform().SendMail(Message))
    throw EAppError(QStringLiteral("No mail program answered. Unable to open a new mail with "
                                   "the log file attached:\r\n") +
                    FLogFileName);
}

void TfmLogViewer::Find1Click() {
  if (!FfmSearch)
    FfmSearch = new TfmSearch(this, FUi->edtLog);
  FfmSearch->show();
  FfmSearch->raise();
  FfmSearch->activateWindow();
}

void TfmLogViewer::JvDragDrop1Drop(const QStringList& AFileNames) {
  if (AFileNames.size() != 1 || AFileNames.first().isEmpty() ||
      !QFileInfo::exists(AFileNames.first()))
    return;
  FLogFileName = AFileNames.first();
  LoadLogFile(true);
}

void TfmLogViewer::lbxLogDblClick() {
  const QModelIndex Index = FUi->lbxLog->currentIndex();
  if (FEntryModel->rowCount() == 0 || !Index.isValid())
    return;
  const QString Entry = Index.data().toString();
  const qsizetype Close = Entry.indexOf(QLatin1Char(']'));
  const qsizetype Colon = Entry.indexOf(QLatin1Char(':'));
  if (Close < 0 || Colon <= Close)
    return;
  bool Ok = false;
  const int Line = Entry.mid(Close + 1, Colon - Close - 1).trimmed().toInt(&Ok);
  if (!Ok)
    return;
  FUi->edtLog->GoToLineCentred(Line);
  FUi->edtLog->setFocus();
}

} // namespace tilvane
