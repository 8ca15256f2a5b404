#pragma once

#include <QPlainTextEdit>
#include <QStringList>

#include <functional>

namespace tilvane {

// The read-only view of the log: a line-number gutter whose text per line
// comes from the owner, a tinted current line, going to a line centred, and
// files dropped from the desktop.
class TLogEditor : public QPlainTextEdit {
  Q_OBJECT
public:
  explicit TLogEditor(QWidget* AParent = nullptr);

  // The gutter text of a 1-based line.
  void SetGutterText(std::function<QString(int)> AGutterText);
  QString GutterText(int ALine) const;
  QWidget* Gutter() const { return FGutter; }
  int GutterWidth() const;
  // The caret's 1-based line.
  int CaretLine() const { return textCursor().blockNumber() + 1; }
  // Puts the caret on a 1-based line and shows that line in the middle.
  void GoToLineCentred(int ALine);

signals:
  void FilesDropped(const QStringList& AFileNames);

protected:
  void resizeEvent(QResizeEvent* AEvent) override;
  void dragEnterEvent(QDragEnterEvent* AEvent) override;
  void dragMoveEvent(QDragMoveEvent* AEvent) override;
  void dropEvent(QDropEvent* AEvent) override;

private:
  friend class TLogGutter;
  void PaintGutter(QPaintEvent* AEvent);
  void UpdateGutterWidth();
  void UpdateGutter(const QRect& ARect, int ADy);
  void HighlightCurrentLine();

  QWidget* FGutter;
  QFont FGutterFont;
  std::function<QString(int)> FGutterText;
};

} // namespace tilvane
