#pragma once

#include "core/common/WaitService.h"

namespace tilvane {

// The wait of a program without windows (tests, tools): the job runs on a
// worker while the calling thread's event loop goes on without user input.
// It shows nothing and offers no Cancel.
class TEventLoopWaitService : public IWaitService {
public:
  bool RunWhileWaiting(const QString& AWhat, TWaitJob AJob) override;
};

} // namespace tilvane
