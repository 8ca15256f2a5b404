#include "gui/common/WindowUpdate.h"

#include "core/common/AppError.h"

#include <QHash>
#include <QWidget>

namespace tilvane {

namespace {
// Open Begin calls per window. A window has an entry only while its count is
// above zero. Used on the user-interface thread only.
QHash<const QWidget*, int>& Counts() {
  static QHash<const QWidget*, int> Table;
  return Table;
}
} // namespace

int BeginWindowUpdate(QWidget* AWinHandle) {
  auto& Table = Counts();
  const int Count = Table.value(AWinHandle, 0);
  if (Count == 0 && AWinHandle)
    AWinHandle->setUpdatesEnabled(false);
  Table.insert(AWinHandle, Count + 1);
  return Count + 1;
}

int EndWindowUpdate(QWidget* AWinHandle) {
  auto& Table = Counts();
  auto It = Table.find(AWinHandle);
  if (It == Table.end())
    throw EAppError(QStringLiteral("EndWindowUpdate is called one too many times."));
  const int Count = It.value() - 1;
  if (Count == 0) {
    Table.erase(It);
    if (AWinHandle) {
      AWinHandle->setUpdatesEnabled(true);
      AWinHandle->update();
      for (QWidget* Child : AWinHandle->findChildren<QWidget*>())
        Child->update();
    }
  } else {
    It.value() = Count;
  }
  return Count;
}

int WindowUpdateCount(const QWidget* AWinHandle) {
  return Counts().value(AWinHandle, 0);
}

} // namespace tilvane
