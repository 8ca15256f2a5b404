#pragma once

#include "core/modfolders/ModFolder.h"

#include <QString>

namespace tilvane {

// A sync removes every archive its server does not list and writes partial
// downloads beside the archives: without a folder of its own it would do so
// in the game's mods folder or the working folder. Both the dialog's OK and a
// click on a stored button refuse such a mod folder with this text.
inline bool FollowsServerWithoutFolder(const TModFolder& AModFolder) {
  return !AModFolder.DedicatedServerURL.isEmpty() && AModFolder.Folder.isEmpty();
}

inline QString ServerWithoutFolderMessage() {
  return QStringLiteral("A mod folder that follows a dedicated server needs its own folder.");
}

} // namespace tilvane
