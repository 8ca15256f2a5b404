#include "gui/logviewer/LogHighlighter.h"

namespace tilvane {

TLogHighlighter::TLogHighlighter(QTextDocument* ADocument) : QSyntaxHighlighter(ADocument) {
  FFormat.setForeground(QColor(255, 0, 0));
  FFormat.setFontWeight(QFont::Bold);
}

void TLogHighlighter::highlightBlock(const QString& AText) {
  static const QLatin1String kWords[] = {QLatin1String("ERROR"), QLatin1String("WARNING")};
  const QStringView text(AText);
  for (const QLatin1String& word : kWords) {
    for (qsizetype at = text.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(word, at + 1, Qt::CaseInsensitive)) {
      const qsizetype end = at + word.size();
      const bool startsWord = at == 0 || !text[at - 1].isLetterOrNumber();
      const bool endsWord = end == text.size() || !text[end].isLetterOrNumber();
      if (startsWord && endsWord)
        setFormat(static_cast<int>(at), static_cast<int>(word.size()), FFormat);
    }
  }
}

} // namespace tilvane
