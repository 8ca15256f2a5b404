#include "core/common/WorkerJob.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <utility>

namespace tilvane {

TWorkerJob::TWorkerJob(TWaitJob AJob, std::function<void()> AOnFinished)
    : FJob(std::move(AJob)), FOnFinished(std::move(AOnFinished)),
      FNotifier(std::make_unique<QObject>()) {
  FThread = std::thread([this] { Run(); });
}

TWorkerJob::~TWorkerJob() {
  FCancelled = true;
  if (FThread.joinable())
    FThread.join();
}

void TWorkerJob::Run() {
  try {
    FJob(FCancelled);
  } catch (...) {
    FError = std::current_exception();
  }
  FFinished = true;
  // Queued to the owner thread; the object outlives this call, since its
  // destructor waits for the thread.
  QMetaObject::invokeMethod(
      FNotifier.get(),
      [this] {
        if (FLoop)
          FLoop->quit();
        if (FOnFinished)
          FOnFinished();
      },
      Qt::QueuedConnection);
}

bool TWorkerJob::Wait(int AMilliseconds, QEventLoop::ProcessEventsFlags AFlags) {
  if (FFinished)
    return true;
  if (!QCoreApplication::instance()) {
    if (AMilliseconds < 0) {
      FThread.join();
      return true;
    }
    return false;
  }
  QEventLoop Loop;
  QTimer Limit;
  if (AMilliseconds >= 0) {
    Limit.setSingleShot(true);
    QObject::connect(&Limit, &QTimer::timeout, &Loop, &QEventLoop::quit);
    Limit.start(AMilliseconds);
  }
  QEventLoop* const Outer = std::exchange(FLoop, &Loop);
  // The job may have ended between the test above and now: its word then
  // went to no loop, and this one would wait for nothing.
  if (!FFinished)
    Loop.exec(AFlags);
  FLoop = Outer;
  return FFinished;
}

void TWorkerJob::RethrowError() const {
  if (FFinished && FError)
    std::rethrow_exception(FError);
}

} // namespace tilvane
