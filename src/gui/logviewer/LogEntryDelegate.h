#pragma once

#include <QStyledItemDelegate>

namespace tilvane {

// Draws a list entry in red when it starts with "[Error]" and in teal when it
// starts with "[Warning]"; a selected entry uses the highlight colours.
class TLogEntryDelegate : public QStyledItemDelegate {
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  static constexpr int ItemHeight = 15;
  // The text colour of an entry that is not selected.
  static QColor EntryColor(const QString& AText, const QPalette& APalette);

  void paint(QPainter* APainter, const QStyleOptionViewItem& AOption,
             const QModelIndex& AIndex) const override;
  QSize sizeHint(const QStyleOptionViewItem& AOption, const QModelIndex& AIndex) const override;
};

} // namespace tilvane
