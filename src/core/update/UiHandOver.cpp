#include "core/update/UiHandOver.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <exception>
#include <future>
#include <memory>

namespace tilvane {

namespace {

// Releases the waiting worker when the queued call has run, and also when the
// call is thrown away unrun (its context destroyed).
struct TCompletion {
  std::promise<bool> Done;
  std::exception_ptr Error;
  bool Signalled = false;

  void Signal(bool ARan) {
    if (Signalled)
      return;
    Signalled = true;
    if (Error)
      Done.set_exception(Error);
    else
      Done.set_value(ARan);
  }
  ~TCompletion() { Signal(false); }
};

} // namespace

TUiHandOver::TUiHandOver(QObject* AContext) : FContext(AContext), FThread(AContext->thread()) {}

bool TUiHandOver::Run(const std::function<void()>& AWork) {
  if (QThread::currentThread() == FThread) {
    {
      std::lock_guard Lock(FMutex);
      if (FDetached)
        return false;
    }
    AWork();
    return true;
  }
  auto Completion = std::make_shared<TCompletion>();
  std::future<bool> Future = Completion->Done.get_future();
  {
    std::lock_guard Lock(FMutex);
    if (FDetached)
      return false;
    // The call holds the only reference: destroying it unrun releases the worker.
    QMetaObject::invokeMethod(
        FContext,
        [Completion = std::move(Completion), AWork]() {
          try {
            AWork();
          } catch (...) {
            Completion->Error = std::current_exception();
          }
          Completion->Signal(true);
        },
        Qt::QueuedConnection);
  }
  return Future.get();
}

void TUiHandOver::Detach() {
  std::lock_guard Lock(FMutex);
  FDetached = true;
}

} // namespace tilvane
