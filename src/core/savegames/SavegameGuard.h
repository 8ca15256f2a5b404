#pragma once

#include "core/savegames/Savegame.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tilvane {

// A save whose every required mod (its map) the server lists is the server's
// own game, kept locally: the mods the server dropped were dropped from that
// game too. A save without a required mod of a mod folder (a map of the
// game's own) cannot be told apart, and counts as the player's.
bool IsServersOwnSave(const TSavegame& ASave, const QStringList& AListedModNames);

// The archives among AToRemove (paths) that a save which is not the server's
// own uses, by modName, and that nothing else in the folder provides: another
// archive of the same mod name that stays, or a folder mod of that name.
// AFolderFiles: every archive of the folder; AListedModNames: the mod names
// the server lists. Names compare ignoring ASCII letter case.
QStringList ArchivesSavesNeed(const QStringList& AToRemove, const QStringList& AFolderFiles,
                              const QString& AModFolder, const std::vector<TSavegame>& ASaves,
                              const QStringList& AListedModNames);

} // namespace tilvane
