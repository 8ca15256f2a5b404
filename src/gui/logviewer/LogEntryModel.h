#pragma once

#include <QAbstractListModel>

namespace tilvane {

class TLogFollower;

// The follower's warning and error entries as list rows. Texts are made when
// a row is shown, so a log with many entries costs no strings up front.
class TLogEntryModel : public QAbstractListModel {
  Q_OBJECT
public:
  TLogEntryModel(const TLogFollower& AFollower, QObject* AParent = nullptr);

  int rowCount(const QModelIndex& AParent = QModelIndex()) const override;
  QVariant data(const QModelIndex& AIndex, int ARole = Qt::DisplayRole) const override;

  // Follows the follower after a parse: rows from AFirstChanged on were
  // replaced (0 rebuilds the list).
  void EntriesChanged(qsizetype AFirstChanged);

private:
  const TLogFollower& FFollower;
  int FRows = 0;
};

} // namespace tilvane
