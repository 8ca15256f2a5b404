#pragma once

#include <functional>

namespace tilvane {

class TfmMain;

// The program from start to end: the application object, the platform, the
// prompts, the main window, the event loop. AOnCreated sees the main window
// before it is shown (the start-up benchmark listens there for the first
// paint). Returns the exit code.
int RunTilvane(int AArgc, char** AArgv, const std::function<void(TfmMain&)>& AOnCreated = {});

} // namespace tilvane
