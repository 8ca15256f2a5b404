#include "gui/crash/ExceptionDialog.h"

#include "ui_ExceptionDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>

namespace tilvane {

namespace {

// Posted to itself when shown: the window is painted before the slow part of
// the report is built.
const QEvent::Type UmCreateDetails = static_cast<QEvent::Type>(QEvent::User + 0x100);

// Unfolded, the window is at least this much taller than folded.
constexpr int MinDetailsHeight = 100;

QString PreviousCrashText() {
  return QStringLiteral("%1 ended unexpectedly the last time it ran.\r\n"
                        "\r\n"
                        "The details below are what it wrote down as it ended.")
      .arg(QGuiApplication::applicationDisplayName());
}

} // namespace

TExceptionDialog::TExceptionDialog(QWidget* AParent)
    : QDialog(AParent), FUi(std::make_unique<Ui::TExceptionDialog>()) {
  // Noted before anything of this window can take the focus.
  FLastActiveControl = ActiveControlsHierarchy(QApplication::focusWidget());
  FUi->setupUi(this);
  FormCreate();
}

TExceptionDialog::TExceptionDialog(std::exception_ptr AError, QWidget* AParent)
    : TExceptionDialog(AParent) {
  FReport.emplace(AError);
  ShowTexts(FReport->ShortText(), FReport->Header(QDateTime::currentDateTime()));
}

TExceptionDialog::TExceptionDialog(const TPreviousCrash& ACrash, QWidget* AParent)
    : TExceptionDialog(AParent) {
  ShowTexts(PreviousCrashText(), TExceptionReport::WithCrLf(ACrash.Report));
  CreateDetails();
  SetDetailsVisible(true);
}

TExceptionDialog::~TExceptionDialog() = default;

void TExceptionDialog::FormCreate() {
  // Only the close button in the title bar: no help, no minimising.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(
      QStringLiteral("%1 - application error").arg(QGuiApplication::applicationDisplayName()));
  const int IconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  FUi->imgError->setPixmap(
      style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(IconSize));
  // The short text reads as part of the window, not as a box to type in.
  QPalette Palette = FUi->TextMemo->palette();
  Palette.setColor(QPalette::Base, Palette.color(QPalette::Window));
  FUi->TextMemo->setPalette(Palette);
  FUi->DetailsMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  FUi->DetailsBtn->setEnabled(false);
  connect(FUi->OkBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(FUi->DetailsBtn, &QPushButton::clicked, this, &TExceptionDialog::DetailsBtnClick);
  // Ctrl+C reaches the window before the focused control, whichever it is.
  for (QWidget* Child : findChildren<QWidget*>())
    Child->installEventFilter(this);
  FFullHeight = height();
  SetDetailsVisible(false);
}

void TExceptionDialog::ShowTexts(const QString& AShortText, const QString& ADetails) {
  FShortText = AShortText;
  FDetailsText = ADetails;
  FUi->TextMemo->setPlainText(FShortText);
  FUi->DetailsMemo->setPlainText(FDetailsText);
}

void TExceptionDialog::showEvent(QShowEvent* AEvent) {
  QDialog::showEvent(AEvent);
  if (FShown)
    return;
  FShown = true;
  QApplication::beep();
  if (!FDetailsCreated)
    QCoreApplication::postEvent(this, new QEvent(UmCreateDetails));
}

bool TExceptionDialog::event(QEvent* AEvent) {
  if (AEvent->type() == UmCreateDetails) {
    repaint();
    CreateDetails();
    return true;
  }
  if (HandleCopyKey(AEvent))
    return true;
  return QDialog::event(AEvent);
}

bool TExceptionDialog::eventFilter(QObject* AWatched, QEvent* AEvent) {
  if (HandleCopyKey(AEvent))
    return true;
  return QDialog::eventFilter(AWatched, AEvent);
}

// The shortcut override is accepted so that a text box does not take Ctrl+C as
// its own copy; the key press that follows does the copying.
bool TExceptionDialog::HandleCopyKey(QEvent* AEvent) {
  if (AEvent->type() != QEvent::KeyPress && AEvent->type() != QEvent::ShortcutOverride)
    return false;
  auto* Key = static_cast<QKeyEvent*>(AEvent);
  if (!Key->matches(QKeySequence::Copy))
    return false;
  Key->accept();
  if (AEvent->type() == QEvent::KeyPress) {
    try {
      CopyReportToClipboard();
    } catch (...) {
      // This window is where failures end: a failed copy leaves the clipboard as it was.
    }
  }
  return true;
}

void TExceptionDialog::CreateDetails() {
  if (FDetailsCreated)
    return;
  FDetailsCreated = true;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  // Whatever happens below, the window must stay usable.
  struct TFinish {
    Ui::TExceptionDialog& Form;
    ~TFinish() {
      Form.DetailsMemo->setUpdatesEnabled(true);
      Form.OkBtn->setEnabled(true);
      Form.DetailsBtn->setEnabled(true);
      Form.OkBtn->setFocus();
      QGuiApplication::restoreOverrideCursor();
    }
  } Finish{*FUi};
  try {
    FUi->DetailsMemo->setUpdatesEnabled(false);
    if (FReport)
      FDetailsText += FReport->TechnicalReport(FLastActiveControl);
    FUi->DetailsMemo->setPlainText(FDetailsText);
    FUi->DetailsMemo->moveCursor(QTextCursor::Start);
    FUi->DetailsMemo->ensureCursorVisible();
  } catch (...) {
    // The report on a failure must not fail itself: the details stay as far
    // as they got.
  }
}

void TExceptionDialog::SetDetailsVisible(bool AValue) {
  QString Caption = FUi->DetailsBtn->text();
  Caption.remove(QLatin1Char('<')).remove(QLatin1Char('>'));
  Caption = Caption.trimmed();
  FUi->DetailsBtn->setText(AValue ? QStringLiteral("<< ") + Caption
                                  : Caption + QStringLiteral(" >>"));
  if (AValue) {
    FUi->BevelDetails->show();
    FUi->DetailsMemo->show();
    FUi->DetailsMemo->setEnabled(true);
    setMinimumHeight(FNonDetailsHeight + MinDetailsHeight);
    setMaximumHeight(screen() ? screen()->availableGeometry().height() : QWIDGETSIZE_MAX);
    resize(width(), FFullHeight);
  } else {
    // The height the user gave the details comes back when they unfold again.
    if (FDetailsVisible)
      FFullHeight = height();
    FUi->DetailsMemo->setEnabled(false);
    FUi->DetailsMemo->hide();
    FUi->BevelDetails->hide();
    if (FNonDetailsHeight == 0) {
      layout()->activate();
      FNonDetailsHeight = layout()->sizeHint().height();
    }
    setFixedHeight(FNonDetailsHeight);
  }
  FDetailsVisible = AValue;
}

void TExceptionDialog::DetailsBtnClick() {
  try {
    SetDetailsVisible(!FDetailsVisible);
  } catch (...) {
    // This window is where failures end; there is nobody left to tell.
  }
}

QString TExceptionDialog::GetReportAsText() const {
  return TExceptionReport::ClipboardText(FShortText, FDetailsText);
}

void TExceptionDialog::CopyReportToClipboard() {
  QGuiApplication::clipboard()->setText(GetReportAsText());
  QApplication::beep();
}

QStringList TExceptionDialog::ActiveControlsHierarchy(QWidget* AFocused) {
  QStringList Controls;
  for (QWidget* Control = AFocused; Control; Control = Control->parentWidget()) {
    Controls << QString::fromLatin1(Control->metaObject()->className()) + QStringLiteral(" \"") +
                    Control->objectName() + QLatin1Char('"');
    if (Control->isWindow())
      break;
  }
  return Controls;
}

} // namespace tilvane
