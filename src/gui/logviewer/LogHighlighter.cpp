#include "gui/logviewer/LogHighlighter.h"

namespace tilvane {

TLogHighlighter::TLogHighlighter(QTextDocument* ADocument) : QSyntaxHighlighter(ADocument) {
  FFormat.setForeground(QColor(255, 0, 0));
  FFormat.setFontWeight(QFont::Bold);
}

void TLogHighlighter::highlightBlock(const QString& AText) {
  static const QLatin1String Words[] = {QLatin1String("ERROR"), QLatin1String("WARNING")};
  const QStringView Text(AText);
  for (const QLatin1String& Word : Words) {
    for (qsizetype At = Text.indexOf(Word, 0, Qt::CaseInsensitive); At >= 0;
         At = Text.indexOf(Word, At + 1, Qt::CaseInsensitive)) {
      const qsizetype End = At + Word.size();
      const bool StartsWord = At == 0 || !Text[At - 1].isLetterOrNumber();
      const bool EndsWord = End == Text.size() || !Text[End].isLetterOrNumber();
      if (StartsWord && EndsWord)
        setFormat(static_cast<int>(At), static_cast<int>(Word.size()), FFormat);
    }
  }
}

} // namespace tilvane
