#pragma once

#include "core/common/WaitService.h"

namespace tilvane {

// The program's wait: the job runs on a worker while the window's event loop
// goes on (repaints, moves). A wait longer than ShowDelay shows a
// window-modal TfmWaiting with what the program waits for and a Cancel;
// before that, user input waits, so that a second click cannot start a
// second wait inside the first.
class TQtWaitService : public IWaitService {
public:
  static constexpr int ShowDelay = 300; // ms

  bool RunWhileWaiting(const QString& AWhat, TWaitJob AJob) override;
};

} // namespace tilvane
