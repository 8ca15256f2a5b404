#pragma once

#include <QString>

namespace tilvane {

// One name per mod folder for what the program keeps about it elsewhere (its
// sync lock, the facts about its archives): the SHA-1 in hex of the folder's
// cleaned absolute path, so that two spellings of one folder ("mods/",
// "./mods") meet and any path gives a name every file system takes.
QString ModFolderKey(const QString& AModFolder);

} // namespace tilvane
