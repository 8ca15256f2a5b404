#pragma once

#include "core/game/FSVersion.h"

namespace tilvane {

class TdmMain;
class TModFolder;

// The button menu's "Export Mod Folder button": asks whether the web login
// goes into the file (only when the folder has one), asks where to save it,
// starting in the mod folders root, and writes the button file there with
// the extension ".mfb". Cancelling the save dialog writes nothing. An
// existing file is updated without a question: its other keys stay.
// Raises "Unable to write to <file>" when the file cannot be written.
void ExportModFolderButton(TdmMain& ADataModule, TFSVersion AFSVersion,
                           const TModFolder& AModFolder);

} // namespace tilvane
