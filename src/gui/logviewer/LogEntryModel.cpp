#include "gui/logviewer/LogEntryModel.h"

#include "core/logviewer/LogFollower.h"

namespace tilvane {

TLogEntryModel::TLogEntryModel(const TLogFollower& AFollower, QObject* AParent)
    : QAbstractListModel(AParent), FFollower(AFollower),
      FRows(static_cast<int>(AFollower.Entries().size())) {}

int TLogEntryModel::rowCount(const QModelIndex& AParent) const {
  return AParent.isValid() ? 0 : FRows;
}

QVariant TLogEntryModel::data(const QModelIndex& AIndex, int ARole) const {
  if (ARole != Qt::DisplayRole || !AIndex.isValid() || AIndex.row() >= FRows)
    return {};
  return FFollower.EntryText(AIndex.row());
}

void TLogEntryModel::EntriesChanged(qsizetype AFirstChanged) {
  const int Rows = static_cast<int>(FFollower.Entries().size());
  if (AFirstChanged <= 0) {
    beginResetModel();
    FRows = Rows;
    endResetModel();
    return;
  }
  const int First = static_cast<int>(AFirstChanged);
  if (First < FRows) {
    beginRemoveRows({}, First, FRows - 1);
    FRows = First;
    endRemoveRows();
  }
  if (Rows > FRows) {
    beginInsertRows({}, FRows, Rows - 1);
    FRows = Rows;
    endInsertRows();
  }
}

} // namespace tilvane
