#pragma once

#include <QString>

#include <atomic>
#include <functional>

namespace tilvane {

// A job that waits on something slow (a server, a download) and can be told
// to stop: it looks at the flag at least every 100 ms and returns soon after
// it turned true.
using TWaitJob = std::function<void(const std::atomic_bool& ACancelled)>;

// Runs a job on a worker while the window's thread goes on with its events,
// so that a server that never answers cannot freeze the window. The program
// shows what it waits for and offers a Cancel; tests and tools wait without
// a window. Called on the thread that owns the windows.
class IWaitService {
public:
  virtual ~IWaitService() = default;

  // Runs AJob on a worker and returns when it has ended. AWhat tells the
  // player what the wait is for ("Checking the server…"). False when the
  // player cancelled (the job has ended then too; what it raised is dropped);
  // otherwise an exception of the job is raised again here.
  virtual bool RunWhileWaiting(const QString& AWhat, TWaitJob AJob) = 0;
};

} // namespace tilvane
