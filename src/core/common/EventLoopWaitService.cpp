#include "core/common/EventLoopWaitService.h"

#include "core/common/WorkerJob.h"

#include <utility>

namespace tilvane {

bool TEventLoopWaitService::RunWhileWaiting(const QString& AWhat, TWaitJob AJob) {
  Q_UNUSED(AWhat);
  TWorkerJob Job(std::move(AJob));
  // Without user input: a click while nobody can see the wait would start a
  // second one inside the first.
  Job.Wait(-1, QEventLoop::ExcludeUserInputEvents);
  Job.RethrowError();
  return true;
}

} // namespace tilvane
