#pragma once

#include "core/common/WaitService.h"

#include <QEventLoop>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

class QObject;

namespace tilvane {

// One job on a worker thread of its own, owned by an object of the thread
// that starts it (the owner thread). The owner may wait for it with its event
// loop running, or go on and be told when it has ended. The job's exception
// is kept and raised again on the owner thread: none crosses the thread.
class TWorkerJob {
public:
  // Starts AJob at once. AOnFinished, when given, runs on the owner thread
  // from its event loop once the job has ended (not when this object went
  // first); it must not destroy this object.
  explicit TWorkerJob(TWaitJob AJob, std::function<void()> AOnFinished = {});
  // Cancels the job and waits for it to end.
  ~TWorkerJob();

  TWorkerJob(const TWorkerJob&) = delete;
  TWorkerJob& operator=(const TWorkerJob&) = delete;

  // Runs the owner thread's event loop with AFlags until the job has ended
  // or AMilliseconds have passed (negative: no limit). True when the job has
  // ended. Without an application object there is no event loop to run, and
  // it waits for the job plainly.
  bool Wait(int AMilliseconds = -1, QEventLoop::ProcessEventsFlags AFlags = QEventLoop::AllEvents);
  void Cancel() { FCancelled = true; }
  bool Cancelled() const { return FCancelled; }
  bool Finished() const { return FFinished; }
  // After the job has ended: raises what the job raised, if anything.
  void RethrowError() const;

private:
  void Run();

  TWaitJob FJob;
  std::function<void()> FOnFinished;
  std::atomic_bool FCancelled{false};
  std::atomic_bool FFinished{false};
  std::exception_ptr FError; // written by the worker before FFinished
  // Lives on the owner thread: the worker's word that it has ended is
  // delivered through it, and dropped with it.
  std::unique_ptr<QObject> FNotifier;
  QEventLoop* FLoop = nullptr; // the owner's wait under way, if any
  std::thread FThread;
};

} // namespace tilvane
