#pragma once

#include "core/game/FSVersion.h"

class QWidget;

namespace tilvane {

class TdmMain;
class TfmLogViewer;

// The process keeps at most one log viewer. Only the main window opens it,
// through ShowLogViewer; the pointer behind these functions empties itself
// when the viewer is destroyed (the user closed it), so nothing else has to
// reach a global.

// The open viewer; null when none is open.
TfmLogViewer* LogViewerInstance();

// Creates and shows the viewer for a generation, unless one is open already:
// then the open one is left exactly as it is. Returns the open viewer.
TfmLogViewer* ShowLogViewer(TdmMain& ADataModule, TFSVersion AFSVersion, QWidget* AMainWindow);

} // namespace tilvane
