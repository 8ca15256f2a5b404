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

  QFont font(QStringLiteral("Consolas"));
  font.setStyleHint(QFont::Monospace);
  font.setPixelSize(13);
  setFont(font);
  FGutterFont = font;
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
  int digits = 1;
  for (int max = std::max(1, blockCount()); max >= 10; max /= 10)
    ++digits;
  return 8 + QFontMetrics(FGutterFont).horizontalAdvance(QLatin1Char('9')) * digits;
}

void TLogEditor::GoToLineCentred(int ALine) {
  const QTextBlock block = document()->findBlockByNumber(std::max(0, ALine - 1));
  if (!block.isValid())
    return;
  setTextCursor(QTextCursor(block));
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
  const QRect r = contentsRect();
  FGutter->setGeometry(QRect(r.left(), r.top(), GutterWidth(), r.height()));
}

void TLogEditor::HighlightCurrentLine() {
  QTextEdit::ExtraSelection line;
  line.format.setBackground(QColor(250, 255, 230));
  line.format.setProperty(QTextFormat::FullWidthSelection, true);
  line.cursor = textCursor();
  line.cursor.clearSelection();
  setExtraSelections({line});
}

void TLogEditor::PaintGutter(QPaintEvent* AEvent) {
  QPainter painter(FGutter);
  painter.fillRect(AEvent->rect(), palette().color(QPalette::Window));
  painter.setFont(FGutterFont);
  const QColor grey(128, 128, 128);
  painter.setPen(grey);
  painter.drawLine(FGutter->width() - 1, AEvent->rect().top(), FGutter->width() - 1,
                   AEvent->rect().bottom());

  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  int bottom = top + qRound(blockBoundingRect(block).height());
  while (block.isValid() && top <= AEvent->rect().bottom()) {
    if (block.isVisible() && bottom >= AEvent->rect().top())
      painter.drawText(0, top, FGutter->width() - 4, fontMetrics().height(),
                       Qt::AlignRight | Qt::AlignVCenter, GutterText(block.blockNumber() + 1));
    block = block.next();
    top = bottom;
    bottom = top + qRound(blockBoundingRect(block).height());
  }
}

namespace {
QStringList LocalFiles(const QMimeData* AData) {
  QStringList files;
  if (AData && AData->hasUrls())
    for (const QUrl& url : AData->urls())
      files << (url.isLocalFile() ? url.toLocalFile() : QString());
  return files;
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
  const QStringList files = LocalFiles(AEvent->mimeData());
  if (files.isEmpty()) {
    AEvent->ignore();
    return;
  }
  AEvent->acceptProposedAction();
  emit FilesDropped(files);
}

} // namespace tilvane
