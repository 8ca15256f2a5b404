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

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

namespace tilvane {

namespace {

constexpr int kDesignedPanelHeight = 121;
constexpr int kBarHeight = 23;

QCheckBox* CheckBox(const QString& ACaption, const char* AName) {
  auto* box = new QCheckBox(ACaption);
  box->setObjectName(QLatin1String(AName));
  box->setChecked(true);
  return box;
}

TFileDialogOptions LogFileDialog() {
  TFileDialogOptions options;
  options.FileTypes = {{QStringLiteral("Log file"), QStringLiteral("*.txt")}};
  options.DefaultExtension = QStringLiteral("txt");
  return options;
}

} // namespace

TfmLogViewer::TfmLogViewer(TdmMain& ADataModule, TFSVersion AFSVersion, QWidget* ACentreOn)
    : QMainWindow(nullptr), FDataModule(ADataModule), FFSVersion(AFSVersion), FCentreOn(ACentreOn) {
  setObjectName(QStringLiteral("fmLogViewer"));
  setAttribute(Qt::WA_DeleteOnClose);
  BuildWindow();
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
  auto* fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
  fileMenu->setObjectName(QStringLiteral("File1"));
  Open1 = fileMenu->addAction(QStringLiteral("&Open..."));
  Saveas1 = fileMenu->addAction(QStringLiteral("&Save as..."));
  Email1 = fileMenu->addAction(QStringLiteral("&Email..."));
  auto* editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
  editMenu->setObjectName(QStringLiteral("Edit1"));
  Find1 = editMenu->addAction(QStringLiteral("&Search"));
  Find1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  Open1->setObjectName(QStringLiteral("Open1"));
  Saveas1->setObjectName(QStringLiteral("Saveas1"));
  Email1->setObjectName(QStringLiteral("Email1"));
  Find1->setObjectName(QStringLiteral("Find1"));

  edtLog = new TLogEditor;
  edtLog->setObjectName(QStringLiteral("edtLog"));
  edtLog->setMinimumHeight(28);
  edtLog->SetGutterText([this](int ALine) { return edtLogGutterGetText(ALine); });
  new TLogHighlighter(edtLog->document());

  pnlLogStatus = new QWidget;
  pnlLogStatus->setObjectName(QStringLiteral("pnlLogStatus"));
  pnlLogStatus->setFixedHeight(kBarHeight);
  lblLines = new QLabel(QStringLiteral("Lines: 100"));
  lblLines->setObjectName(QStringLiteral("lblLines"));
  lblPosition = new QLabel(QStringLiteral("Position: 1: 1"));
  lblPosition->setObjectName(QStringLiteral("lblPosition"));
  chkScrollToBottomLog =
      CheckBox(QStringLiteral("Scroll to bottom on update"), "chkScrollToBottomLog");
  auto* statusLayout = new QHBoxLayout(pnlLogStatus);
  statusLayout->setContentsMargins(4, 0, 4, 0);
  statusLayout->addWidget(lblLines);
  statusLayout->addSpacing(24);
  statusLayout->addWidget(lblPosition);
  statusLayout->addStretch();
  statusLayout->addWidget(chkScrollToBottomLog);

  auto* top = new QWidget;
  auto* topLayout = new QVBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->setSpacing(0);
  topLayout->addWidget(edtLog, 1);
  topLayout->addWidget(pnlLogStatus);

  pnlErrors = new QWidget;
  pnlErrors->setObjectName(QStringLiteral("pnlErrors"));
  lbxLog = new QListView;
  lbxLog->setObjectName(QStringLiteral("lbxLog"));
  lbxLog->setMinimumHeight(28);
  lbxLog->setUniformItemSizes(true);
  lbxLog->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lbxLog->setItemDelegate(new TLogEntryDelegate(lbxLog));
  FEntryModel = new TLogEntryModel(FFollower, lbxLog);
  lbxLog->setModel(FEntryModel);
  chkShowErrors = CheckBox(QStringLiteral("Show errors (0)"), "chkShowErrors");
  chkShowWarnings = CheckBox(QStringLiteral("Show warnings (0)"), "chkShowWarnings");
  chkAutoRefresh = CheckBox(QStringLiteral("Auto refresh"), "chkAutoRefresh");
  chkScrollToBottomParsed =
      CheckBox(QStringLiteral("Scroll to bottom on update"), "chkScrollToBottomParsed");
  auto* bar = new QWidget;
  bar->setFixedHeight(kBarHeight);
  auto* barLayout = new QHBoxLayout(bar);
  barLayout->setContentsMargins(4, 0, 4, 0);
  barLayout->addWidget(chkShowErrors);
  barLayout->addWidget(chkShowWarnings);
  barLayout->addStretch();
  barLayout->addWidget(chkAutoRefresh);
  barLayout->addWidget(chkScrollToBottomParsed);
  auto* errorsLayout = new QVBoxLayout(pnlErrors);
  errorsLayout->setContentsMargins(0, 0, 0, 0);
  errorsLayout->setSpacing(0);
  errorsLayout->addWidget(lbxLog, 1);
  errorsLayout->addWidget(bar);

  splBottom = new QSplitter(Qt::Vertical);
  splBottom->setObjectName(QStringLiteral("splBottom"));
  splBottom->setHandleWidth(6);
  splBottom->setOpaqueResize(true);
  splBottom->setChildrenCollapsible(false);
  splBottom->addWidget(top);
  splBottom->addWidget(pnlErrors);
  splBottom->setStretchFactor(0, 1);
  splBottom->setStretchFactor(1, 0);
  setCentralWidget(splBottom);
  resize(624, 441 + menuBar()->sizeHint().height());

  tmrAutoRefresh = new QTimer(this);
  tmrAutoRefresh->setObjectName(QStringLiteral("tmrAutoRefresh"));
  tmrAutoRefresh->setInterval(500);

  connect(Open1, &QAction::triggered, this, &TfmLogViewer::Open1Click);
  connect(Saveas1, &QAction::triggered, this, &TfmLogViewer::Saveas1Click);
  connect(Email1, &QAction::triggered, this, &TfmLogViewer::Email1Click);
  connect(Find1, &QAction::triggered, this, &TfmLogViewer::Find1Click);
  connect(edtLog, &TLogEditor::FilesDropped, this, &TfmLogViewer::JvDragDrop1Drop);
  connect(edtLog, &QPlainTextEdit::cursorPositionChanged, this, &TfmLogViewer::edtLogStatusChange);
  connect(edtLog, &QPlainTextEdit::blockCountChanged, this, &TfmLogViewer::edtLogStatusChange);
  connect(lbxLog, &QListView::doubleClicked, this, &TfmLogViewer::lbxLogDblClick);
  connect(chkShowErrors, &QCheckBox::clicked, this, &TfmLogViewer::chkShowWarningsClick);
  connect(chkShowWarnings, &QCheckBox::clicked, this, &TfmLogViewer::chkShowWarningsClick);
  connect(chkAutoRefresh, &QCheckBox::toggled, this, &TfmLogViewer::chkAutoRefreshClick);
  connect(tmrAutoRefresh, &QTimer::timeout, this, &TfmLogViewer::tmrAutoRefreshTimer);
}

void TfmLogViewer::FormCreate() {
  FLastLine = 1;
  const QString folder = FDataModule.GetFSMyGamesFolder(FFSVersion);
  // Without the game's folder there is no log: a bare "log.txt" would name
  // whatever file lies in the current folder.
  FLogFileName = folder.isEmpty() ? QString() : JoinPath(folder, QStringLiteral("log.txt"));
  FFollower.SetLogFileName(FLogFileName);

  const QString name = ClassName();
  const QPoint pos = FDataModule.GetFormPos(name);
  if (pos.x() != TdmMain::NotSaved)
    move(pos);
  else if (FCentreOn)
    move(FCentreOn->frameGeometry().center() - rect().center());
  const QPoint size = FDataModule.GetFormSize(name);
  if (size.x() != TdmMain::NotSaved)
    resize(size.x(), size.y());
  // Fully onto a monitor when it lies partly outside.
  if (QScreen* screen = QGuiApplication::screenAt(geometry().center())
                            ? QGuiApplication::screenAt(geometry().center())
                            : QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveRight(std::min(frame.right(), area.right()));
    frame.moveBottom(std::min(frame.bottom(), area.bottom()));
    frame.moveLeft(std::max(frame.left(), area.left()));
    frame.moveTop(std::max(frame.top(), area.top()));
    move(frame.topLeft());
  }

  SetErrorPanelHeight(
      FDataModule.GetFormInteger(name, QStringLiteral("ErrorPanelHeight"), kDesignedPanelHeight));
  chkShowErrors->setChecked(FDataModule.GetFormBoolean(name, QStringLiteral("ShowErrors"), true));
  chkShowWarnings->setChecked(
      FDataModule.GetFormBoolean(name, QStringLiteral("ShowWarnings"), true));
  chkAutoRefresh->setChecked(FDataModule.GetFormBoolean(name, QStringLiteral("AutoRefresh"), true));
  chkScrollToBottomLog->setChecked(
      FDataModule.GetFormBoolean(name, QStringLiteral("ScrollToBottomLog"), true));
  chkScrollToBottomParsed->setChecked(
      FDataModule.GetFormBoolean(name, QStringLiteral("ScrollToBottomParsed"), true));
  FFollower.SetShowErrors(chkShowErrors->isChecked());
  FFollower.SetShowWarnings(chkShowWarnings->isChecked());
  chkAutoRefreshClick();
}

void TfmLogViewer::FormDestroy() {
  const QString name = ClassName();
  const bool maximized = isMaximized();
  if (!maximized) {
    FDataModule.SetFormPos(name, pos());
    FDataModule.SetFormSize(name, QPoint(width(), height()));
  }
  FDataModule.SetFormIsMaximized(name, maximized);
  FDataModule.SetFormInteger(name, QStringLiteral("ErrorPanelHeight"), ErrorPanelHeight());
  FDataModule.SetFormBoolean(name, QStringLiteral("ShowErrors"), chkShowErrors->isChecked());
  FDataModule.SetFormBoolean(name, QStringLiteral("ShowWarnings"), chkShowWarnings->isChecked());
  FDataModule.SetFormBoolean(name, QStringLiteral("AutoRefresh"), chkAutoRefresh->isChecked());
  FDataModule.SetFormBoolean(name, QStringLiteral("ScrollToBottomLog"),
                             chkScrollToBottomLog->isChecked());
  FDataModule.SetFormBoolean(name, QStringLiteral("ScrollToBottomParsed"),
                             chkScrollToBottomParsed->isChecked());
}

int TfmLogViewer::ErrorPanelHeight() const {
  const QList<int> sizes = splBottom->sizes();
  return sizes.size() == 2 && sizes[1] > 0 ? sizes[1] : kDesignedPanelHeight;
}

void TfmLogViewer::SetErrorPanelHeight(int AHeight) {
  const int total = std::max(splBottom->height(), AHeight + 28);
  splBottom->setSizes({total - AHeight, AHeight});
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

void TfmLogViewer::LoadLogFile(bool ForceLoad) {
  FFollower.SetLogFileName(FLogFileName);
  const TLogLoadResult result = FFollower.LoadLogFile(ForceLoad);
  using Kind = TLogLoadResult::TKind;
  if (result.Kind == Kind::Unchanged || result.Kind == Kind::OpenFailed)
    return;
  TWindowUpdateGuard noRedraw(this);
  if (result.Kind == Kind::Patched) {
    QTextDocument* document = edtLog->document();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    if (result.ReplacedLine >= 0) {
      const QTextBlock block = document->findBlockByNumber(static_cast<int>(result.ReplacedLine));
      cursor.setPosition(block.position());
      cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
      cursor.insertText(FFollower.Line(result.ReplacedLine).toString());
    }
    if (result.FirstNewLine < FFollower.LineCount()) {
      cursor.movePosition(QTextCursor::End);
      const QString added = FFollower.TextFrom(result.FirstNewLine).toString();
      cursor.insertText(result.FirstNewLine > 0 ? QLatin1Char('\n') + added : added);
    }
    cursor.endEditBlock();
  } else {
    edtLog->setPlainText(FFollower.Text());
  }
  EntriesChanged(result.FirstChangedEntry);
  edtLogChange();
}

void TfmLogViewer::edtLogChange() {
  if (chkScrollToBottomLog->isChecked() && FFollower.LineCount() > 0)
    edtLog->GoToLineCentred(static_cast<int>(FFollower.LineCount()));
  edtLogStatusChange();
}

void TfmLogViewer::ParseLog(qsizetype StartLine) {
  EntriesChanged(FFollower.ParseLog(StartLine));
}

void TfmLogViewer::EntriesChanged(qsizetype AFirstChanged) {
  FEntryModel->EntriesChanged(AFirstChanged);
  chkShowErrors->setText(QStringLiteral("Show errors (") +
                         QString::number(FFollower.TotalErrors()) + QLatin1Char(')'));
  chkShowWarnings->setText(QStringLiteral("Show warnings (") +
                           QString::number(FFollower.TotalWarnings()) + QLatin1Char(')'));
  if (chkScrollToBottomParsed->isChecked())
    lbxLog->scrollToBottom();
}

QString TfmLogViewer::edtLogGutterGetText(int ALine) const {
  if (ALine == 1 || ALine % 10 == 0 || ALine == edtLog->CaretLine())
    return QString::number(ALine);
  return QStringLiteral(".");
}

void TfmLogViewer::edtLogStatusChange() {
  // The old caret line turns back into a dot, the new one shows its number.
  edtLog->Gutter()->update();
  FLastLine = edtLog->CaretLine();
  const int lines = edtLog->document()->isEmpty() ? 0 : edtLog->blockCount();
  lblLines->setText(QStringLiteral("Lines: ") + QString::number(lines));
  lblPosition->setText(QStringLiteral("Position: ") + QString::number(FLastLine) +
                       QStringLiteral(": ") +
                       QString::number(edtLog->textCursor().positionInBlock() + 1));
}

void TfmLogViewer::chkShowWarningsClick() {
  FFollower.SetShowErrors(chkShowErrors->isChecked());
  FFollower.SetShowWarnings(chkShowWarnings->isChecked());
  ParseLog(0);
}

void TfmLogViewer::chkAutoRefreshClick() {
  if (chkAutoRefresh->isChecked())
    tmrAutoRefresh->start();
  else
    tmrAutoRefresh->stop();
}

void TfmLogViewer::tmrAutoRefreshTimer() {
  LoadLogFile(false);
}

void TfmLogViewer::Open1Click() {
  TFileDialogOptions options = LogFileDialog();
  const QString fileName = FDataModule.Prompts().OpenFile(options);
  if (fileName.isEmpty())
    return;
  FLogFileName = fileName;
  LoadLogFile(true);
}

void TfmLogViewer::Saveas1Click() {
  TFileDialogOptions options = LogFileDialog();
  options.OverwritePrompt = true;
  const QString target = FDataModule.Prompts().SaveFile(options);
  if (target.isEmpty())
    return;
  // The file on disk, not the view: the copy is what the game wrote. The
  // target is replaced in one step, so a failed copy leaves it as it was.
  QFile source(FLogFileName);
  QSaveFile copy(target);
  const auto fail = [&](const QString& AReason) {
    throw EAppError(QStringLiteral("Unable to copy ") + FLogFileName + QStringLiteral(" to ") +
                    target + QStringLiteral("\r\nError: ") + AReason);
  };
  if (!source.open(QIODevice::ReadOnly))
    fail(source.errorString());
  // Unbuffered, so that every short write shows here: the final flush inside
  // commit() goes unchecked.
  if (!copy.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    fail(copy.errorString());
  while (!source.atEnd()) {
    const QByteArray chunk = source.read(1 << 20);
    if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
      fail(source.errorString());
    if (copy.write(chunk) != chunk.size())
      fail(copy.errorString());
  }
  if (!copy.commit())
    fail(copy.errorString());
}

void TfmLogViewer::Email1Click() {
  platform::MailMessage message;
  message.Subject = "Farming Simulator log file";
  message.Body = "Here's my Farming Simulator log file.";
  message.Attachments.push_back(ToPlatform(FLogFileName));
  if (!FDataModule.Platform().SendMail(message))
    throw EAppError(QStringLiteral("No mail program answered. Unable to open a new mail with "
                                   "the log file attached:\r\n") +
                    FLogFileName);
}

void TfmLogViewer::Find1Click() {
  if (!FfmSearch)
    FfmSearch = new TfmSearch(this, edtLog);
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
  const QModelIndex index = lbxLog->currentIndex();
  if (FEntryModel->rowCount() == 0 || !index.isValid())
    return;
  const QString entry = index.data().toString();
  const qsizetype close = entry.indexOf(QLatin1Char(']'));
  const qsizetype colon = entry.indexOf(QLatin1Char(':'));
  if (close < 0 || colon <= close)
    return;
  bool ok = false;
  const int line = entry.mid(close + 1, colon - close - 1).trimmed().toInt(&ok);
  if (!ok)
    return;
  edtLog->GoToLineCentred(line);
  edtLog->setFocus();
}

} // namespace tilvane
