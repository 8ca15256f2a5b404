#pragma once

#include <QList>
#include <QString>

namespace tilvane {

// One <mod> element of a savegame: a mod the game preselects, by modName,
// when the save is loaded (the map, every mod that owns a saved object, every
// mod that was active).
struct TSavegameMod {
  QString ModName; // "FS22_X": the archive FS22_X.zip or the folder FS22_X
  QString Title;
  QString Version;
  // The game writes true for the map; an element without the attribute
  // counts as true, as the game reads it.
  bool Required = true;
  // The game's hash of the archive the save was made with; empty for a mod
  // that was a folder ("" and "nil" in the file).
  QString FileHash;
};

// A savegame as its careerSavegame.xml describes it.
struct TSavegame {
  QString FolderName; // "savegame1" to "savegame20"
  int Number = 0;     // 1 to 20
  QString SavegameName;
  QString MapTitle;
  QString MapId; // "FS22_X.MapName" for a map mod, "MapUS" for the game's own
  QList<TSavegameMod> Mods;

  // The map mod's name: MapId before the dot; empty for a map of the game's.
  QString MapModName() const;
};

// The game's own downloadable content is named like a mod in a save but never
// lives in a mod folder.
bool IsGameContent(const QString& AModName);

} // namespace tilvane
