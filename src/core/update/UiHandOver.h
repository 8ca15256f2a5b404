#pragma once

#include <functional>
#include <mutex>

class QObject;
class QThread;

namespace tilvane {

// Runs work on the thread of a context object (the user-interface thread) and
// makes the calling worker wait until it has run. Unlike a blocking queued
// call it never leaves the worker hanging when the window goes away first:
// after Detach, and when the context is destroyed with work still queued, the
// worker is released without the work having run.
class TUiHandOver {
public:
  explicit TUiHandOver(QObject* AContext);

  TUiHandOver(const TUiHandOver&) = delete;
  TUiHandOver& operator=(const TUiHandOver&) = delete;

  // True when AWork ran. On the context's own thread it runs at once. An
  // error raised by AWork is raised again on the caller.
  bool Run(const std::function<void()>& AWork);

  // No further work is handed over. Call before destroying the context.
  void Detach();

private:
  QObject* FContext;
  QThread* FThread;
  std::mutex FMutex;
  bool FDetached = false;
};

} // namespace tilvane
