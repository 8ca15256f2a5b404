#include "gui/logviewer/LogEntryDelegate.h"

#include <QPainter>

namespace tilvane {

QColor TLogEntryDelegate::EntryColor(const QString& AText, const QPalette& APalette) {
  if (AText.startsWith(QLatin1String("[Error]")))
    return QColor(255, 0, 0);
  if (AText.startsWith(QLatin1String("[Warning]")))
    return QColor(0, 128, 128);
  return APalette.color(QPalette::Text);
}

void TLogEntryDelegate::paint(QPainter* APainter, const QStyleOptionViewItem& AOption,
                              const QModelIndex& AIndex) const {
  const QString Text = AIndex.data(Qt::DisplayRole).toString();
  QColor Background = AOption.palette.color(QPalette::Base);
  QColor Color = EntryColor(Text, AOption.palette);
  if (AOption.state & QStyle::State_Selected) {
    Background = AOption.palette.color(QPalette::Highlight);
    Color = AOption.palette.color(QPalette::HighlightedText);
  }
  APainter->save();
  APainter->fillRect(AOption.rect, Background);
  APainter->setClipRect(AOption.rect);
  APainter->setPen(Color);
  APainter->setFont(AOption.font);
  APainter->drawText(AOption.rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Text);
  APainter->restore();
}

QSize TLogEntryDelegate::sizeHint(const QStyleOptionViewItem& AOption,
                                  const QModelIndex& AIndex) const {
  Q_UNUSED(AIndex);
  return {AOption.rect.width(), ItemHeight};
}

} // namespace tilvane
