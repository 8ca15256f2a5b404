#pragma once

#include "core/game/FSVersion.h"

#include <QString>

namespace tilvane {

// The reads and writes the program makes in one generation's own settings
// files: `game.xml` (developer console) and `gameSettings.xml` (in-game name,
// active mods folder, join-game filter and password). Every call loads the
// file afresh; a missing file, a missing documents folder or a file that does
// not parse reads as empty and is never written.
class TGameSettingsFiles {
public:
  // `AMyGamesFolder` is the generation's documents folder; empty when the game
  // never ran on this account.
  TGameSettingsFiles(QString AMyGamesFolder, TFSVersion AFSVersion);

  // The files' paths, found ignoring letter case; empty when missing.
  QString GameXmlFileName() const;
  QString GameSettingsFileName() const;

  bool GetEnableDevConsole() const;
  void SetEnableDevConsole(bool AValue) const;
  QString GetInGameName() const;
  void SetInGameName(const QString& AValue) const;
  QString GetModFolder() const;
  void SetModFolder(const QString& AFolder) const;
  // Leaves both outputs untouched when the file is missing.
  void GetJoinGame(QString& AGameNameFilter, QString& AGamePassword) const;
  void SetJoinGame(const QString& AGameNameFilter, const QString& AGamePassword) const;

private:
  QString FMyGamesFolder;
  TFSVersion FFSVersion;
};

} // namespace tilvane
