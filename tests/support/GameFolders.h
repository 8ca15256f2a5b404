#pragma once

#include "core/game/FSVersion.h"
#include "support/TestEnvironment.h"

#include <QByteArray>
#include <QString>

namespace tilvane::test {

// Where a test's games live in its temporary folder: each game's executable
// below "games/", and its settings files in the game's own documents folder
// ("prefix/Documents", as a Proton prefix keeps them on Linux), apart from
// the program's settings. Made on a TestEnvironment, it points the fake
// platform's game documents folder there; it writes nothing by itself.
class TGameFolders {
public:
  explicit TGameFolders(TestEnvironment& AEnv);

  static QString Folder(TFSVersion AFSVersion); // "FarmingSimulator2022"
  QString Documents() const;                    // the games' documents folder
  QString Executable(TFSVersion AFSVersion) const;
  QString MyGames(TFSVersion AFSVersion) const;
  QString GameSettings(TFSVersion AFSVersion) const;
  QString GameXml(TFSVersion AFSVersion) const;

  // The game's files as the game writes them, with the name and console given.
  static QByteArray GameSettingsContent(TFSVersion AFSVersion, const char* AInGameName);
  static QByteArray GameXmlContent(bool AEnableDevConsole);

private:
  const TestEnvironment& FEnv;
};

} // namespace tilvane::test
