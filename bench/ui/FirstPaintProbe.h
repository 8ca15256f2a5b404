#pragma once

// What both start-up probes do at their window's first paint: write
// "painted" (the benchmark's cue to take the time) and end the program.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdio>

namespace tilvane::bench {

class TFirstPaint : public QObject {
public:
  using QObject::QObject;

protected:
  bool eventFilter(QObject* AWatched, QEvent* AEvent) override {
    if (AEvent->type() == QEvent::Paint && !FSeen) {
      FSeen = true;
      std::fputs("painted\n", stdout);
      std::fflush(stdout);
      QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                Qt::QueuedConnection);
    }
    return QObject::eventFilter(AWatched, AEvent);
  }

private:
  bool FSeen = false;
};

} // namespace tilvane::bench
