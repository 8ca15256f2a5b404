#pragma once

#include <QString>

namespace tilvane {
class TdmMain;
}

namespace tilvane::tools {

// The installation the screenshots show and the start-up benchmark starts
// on: FS25 as a stub executable below ARoot/games with its gameSettings.xml
// in the platform's game documents folder, and three mod folders below
// ARoot/mods, "Singleplayer" (the game's), "Valley Crest Server" (following
// a dedicated server) and "Testing new mods". Written through ADataModule, so
// it lands wherever that data module's platform keeps the settings.
void WriteShowcaseSetup(TdmMain& ADataModule, const QString& ARoot);

} // namespace tilvane::tools
