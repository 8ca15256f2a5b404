#include "gui/common/WindowUpdate.h"

#include "core/common/AppError.h"

#include <QHash>
#include <QWidget>

namespace tilvane {

namespace {
// Open Begin calls per window. A window has an entry only while its count is
// above zero. Used on the user-interface thread only.
QHash<const QWidget*, int>& Counts() {
  static QHash<const QWidget*, int> counts;
  return counts;
}
} // namespace

int BeginWindowUpdate(QWidget* WinHandle) {
  auto& counts = Counts();
  const int count = counts.value(WinHandle, 0);
  if (count == 0 && WinHandle)
    WinHandle->setUpdatesEnabled(false);
  counts.insert(WinHandle, count + 1);
  return count + 1;
}

int EndWindowUpdate(QWidget* WinHandle) {
  auto& counts = Counts();
  auto it = counts.find(WinHandle);
  if (it == counts.end())
    throw EAppError(QStringLiteral("EndWindowUpdate is called one too many times."));
  const int count = it.value() - 1;
  if (count == 0) {
    counts.erase(it);
    if (WinHandle) {
      WinHandle->setUpdatesEnabled(true);
      WinHandle->update();
      for (QWidget* child : WinHandle->findChildren<QWidget*>())
        child->update();
    }
  } else {
    it.value() = count;
  }
  return count;
}

int WindowUpdateCount(const QWidget* WinHandle) {
  return Counts().value(WinHandle, 0);
}

} // namespace tilvane
