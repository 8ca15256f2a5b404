#include "gui/common/QtWaitService.h"

#include "core/common/WorkerJob.h"
#include "gui/common/WaitingFM.h"

#include <QApplication>
#include <QThread>

#include <utility>

namespace tilvane {

bool TQtWaitService::RunWhileWaiting(const QString& AWhat, TWaitJob AJob) {
  TWorkerJob Job(std::move(AJob));
  const bool OnWindowThread = qApp && QThread::currentThread() == qApp->thread();
  if (!Job.Wait(OnWindowThread ? ShowDelay : -1, QEventLoop::ExcludeUserInputEvents)) {
    // A quick answer shows nothing: a dialog that flashes up is worse than
    // none.
    QWidget* const Owner = QApplication::activeWindow();
    TfmWaiting Dialog(Owner, AWhat, [&Job] { Job.Cancel(); });
    Dialog.setWindowModality(Owner ? Qt::WindowModal : Qt::ApplicationModal);
    Dialog.show();
    Job.Wait();
  }
  if (Job.Cancelled())
    return false;
  Job.RethrowError();
  return true;
}

} // namespace tilvane
