#pragma once

#include "core/savegames/FolderSavegames.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tilvane {

// The saves of one generation and what each needs of one mod folder, as the
// savegames window shows them.
struct TSavegamesReport {
  QString MyGamesFolder; // where the saves were looked for
  std::vector<TSavegameNeeds> Needs;
  QStringList Skipped; // "savegame3: <why>"
};

} // namespace tilvane
