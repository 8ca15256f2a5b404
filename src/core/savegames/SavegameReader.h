#pragma once

#include "core/savegames/Savegame.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tilvane {

// The saves of one game generation, read from its My Games folder.
struct TSavegameReading {
  std::vector<TSavegame> Saves; // by number
  // A save that could not be read, each as "savegame3: <why>"; the others
  // are still read.
  QStringList Skipped;
};

// Reads the careerSavegame.xml at APath (the save in folder AFolderName).
// Raises EAppError, with the reason, when the file cannot be read or is not a
// savegame.
TSavegame ReadSavegame(const QString& APath, const QString& AFolderName);

// Reads savegame1 to savegame20 below AMyGamesFolder. A slot without a
// careerSavegame.xml is no save (the game leaves empty folders behind); a
// missing folder has none.
TSavegameReading ReadSavegames(const QString& AMyGamesFolder);

} // namespace tilvane
