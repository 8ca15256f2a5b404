#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace tilvane {

// Shows the words ERROR and WARNING, in any letter case and as whole words,
// in red and bold, so that they stand out while scrolling through the log.
class TLogHighlighter : public QSyntaxHighlighter {
  Q_OBJECT
public:
  explicit TLogHighlighter(QTextDocument* ADocument);

protected:
  void highlightBlock(const QString& AText) override;

private:
  QTextCharFormat FFormat;
};

} // namespace tilvane
