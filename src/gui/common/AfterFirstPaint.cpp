#include "gui/common/AfterFirstPaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace tilvane {

TAfterFirstPaint::TAfterFirstPaint(QWidget* AWindow, std::function<void()> AJob)
    : QObject(AWindow), FWindow(AWindow), FJob(std::move(AJob)) {
  AWindow->installEventFilter(this);
}

bool TAfterFirstPaint::eventFilter(QObject* AWatched, QEvent* AEvent) {
  if (AWatched == FWindow && AEvent->type() == QEvent::Paint && FJob) {
    FWindow->removeEventFilter(this);
    // Queued: the paint itself and its flush to the screen come first.
    QTimer::singleShot(0, FWindow, std::move(FJob));
    FJob = nullptr;
    deleteLater();
  }
  return QObject::eventFilter(AWatched, AEvent);
}

} // namespace tilvane
