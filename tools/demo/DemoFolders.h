#pragma once

#include "DemoServer.h"
#include "SandboxInstallation.h"

#include <QString>

namespace tilvane::demo {

// The mod folders the demo starts with, written into the program's settings
// through the program's own data module on the system platform, so Apply()
// must have run. Each game gets one folder that follows the demo server and
// one of the player's own. FS25's follows the administrator's page with the
// web login, FS22's the public page.
void WriteDemoFolders(const TSandboxInstallation& ASandbox, const TDemoServer& AServer);

// A savegame of FS22 on the demo server's map.
void WriteDemoSavegame(const TSandboxInstallation& ASandbox, const TDemoServer& AServer);

// The name of the folder that follows the demo server.
QString DemoFolderName(TFSVersion FSVersion);
// Its directory.
QString DemoFolderPath(const TSandboxInstallation& ASandbox, TFSVersion FSVersion);

} // namespace tilvane::demo
