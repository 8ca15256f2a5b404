#include "gui/logviewer/LogEditor.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QTextBlock>

namespace tilvane {

// The strip left of the text; the editor paints it.
class TLogGutter : public QWidget {
public:
  explicit TLogGutter(TLogEditor* AEditor) : QWidget(AEditor), FEditor(AEditor) {
    setObjectName(QStringLiteral("edtLogGutter"));
  }
  QSize sizeHint() const override { return {FEditor->GutterWidth(), 0}; }

protected:
  void paintEvent(QPaintEvent* AEvent) override { FEditor->PaintGutter(AEvent); }

private:
  TLogEditor* FEditor;
};

TLogEditor::TLogEditor(QWidget* AParent) : QPlainTextEdit(AParent), FGutter(new TLogGutter(this)) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);

  QFont Font(QStringLiteral("Consolas"));
  Font.setStyleHint(QFont::Monospace);
  Font.setPixelSize(13);
  setFont(Font);
  FGutterFont = Font;
  FGutterFont.setPixelSize(11);

  connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { UpdateGutterWidth(); });
  connect(this, &QPlainTextEdit::updateRequest, this, &TLogEditor::UpdateGutter);
  connect(this, &QPlainTextEdit::cursorPositionChanged, this, &TLogEditor::HighlightCurrentLine);
  UpdateGutterWidth();
  HighlightCurrentLine();
}

void TLogEditor::SetGutterText(std::function<QString(int)> AGutterText) {
  FGutterText = std::move(AGutterText);
  FGutter->update();
}

QString TLogEditor::GutterText(int ALine) const {
  return FGutterText ? FGutterText(ALine) : QString::number(ALine);
}

int TLogEditor::GutterWidth() const {
  int Digits = 1;
  for (int Max = std::max(1, blockCount()); Max >= 10; Max /= 10)
    ++Digits;
  return 8 + QFontMetrics(FGutterFont).horizontalAdvance(QLatin1Char('9')) * Digits;
}

void TLogEditor::GoToLineCentred(int ALine) {
  const QTextBlock Block = document()->findBlockByNumber(std::max(0, ALine - 1));
  if (!Block.isValid())
    return;
  setTextCursor(QTextCursor(Block));
  centerCursor();
}

void TLogEditor::UpdateGutterWidth() {
  setViewportMargins(GutterWidth(), 0, 0, 0);
}

void TLogEditor::UpdateGutter(const QRect& ARect, int ADy) {
  if (ADy)
    FGutter->scroll(0, ADy);
  else
    FGutter->update(0, ARect.y(), FGutter->width(), ARect.height());
}

void TLogEditor::resizeEvent(QResizeEvent* AEvent) {
  QPlainTextEdit::resizeEvent(AEvent);
  const QRect Rect = contentsRect();
  FGutter->setGeometry(QRect(Rect.left(), Rect.top(), GutterWidth(), Rect.height()));
}

void TLogEditor::HighlightCurrentLine() {
  QTextEdit::ExtraSelection Line;
  Line.format.setBackground(QColor(250, 255, 230));
  Line.format.setProperty(QTextFormat::FullWidthSelection, true);
  Line.cursor = textCursor();
  Line.cursor.clearSelection();
  setExtraSelections({Line});
}

void TLogEditor::PaintGutter(QPaintEvent* AEvent) {
  QPainter Painter(FGutter);
  Painter.fillRect(AEvent->rect(), palette().color(QPalette::Window));
  Painter.setFont(FGutterFont);
  const QColor Grey(128, 128, 128);
  Painter.setPen(Grey);
  Painter.drawLine(FGutter->width() - 1, AEvent->rect().top(), FGutter->width() - 1,
                   AEvent->rect().bottom());

  QTextBlock Block = firstVisibleBlock();
  int Top = qRound(blockBoundingGeometry(Block).translated(contentOffset()).top());
  int Bottom = Top + qRound(blockBoundingRect(Block).height());
  while (Block.isValid() && Top <= AEvent->rect().bottom()) {
    if (Block.isVisible() && Bottom >= AEvent->rect().top())
      Painter.drawText(0, Top, FGutter->width() - 4, fontMetrics().height(),
                       Qt::AlignRight | Qt::AlignVCenter, GutterText(Block.blockNumber() + 1));
    Block = Block.next();
    Top = Bottom;
    Bottom = Top + qRound(blockBoundingRect(Block).height());
  }
}

namespace {
QStringList LocalFiles(const QMimeData* AData) {
  QStringList Files;
  if (AData && AData->hasUrls())
    for (const QUrl& Url : AData->urls())
      Files << (Url.isLocalFile() ? Url.toLocalFile() : QString());
  return Files;
}
} // namespace

void TLogEditor::dragEnterEvent(QDragEnterEvent* AEvent) {
  if (AEvent->mimeData()->hasUrls())
    AEvent->acceptProposedAction();
  else
    AEvent->ignore();
}

void TLogEditor::dragMoveEvent(QDragMoveEvent* AEvent) {
  if (AEvent->mimeData()->hasUrls())
    AEvent->acceptProposedAction();
  else
    AEvent->ignore();
}

void TLogEditor::dropEvent(QDropEvent* AEvent) {
  const QStringList Files = LocalFiles(AEvent->mimeData());
  if (Files.isEmpty()) {
    AEvent->ignore();
    return;
  }
  AEvent->acceptProposedAction();
  emit FilesDropped(Files);
}

} // namespace tilvane
