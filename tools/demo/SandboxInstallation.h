#pragma once

#include "core/game/FSVersion.h"

#include <QList>
#include <QString>

namespace tilvane::demo {

// A player's machine in a folder: a home with documents and Steam folders, a
// Steam library holding FS22 and FS25, the games' documents folders with their
// settings files, and a bin folder whose xdg-open starts the stand-in game for
// the library's executables and hands anything else to the desktop's own.
// The library has no compatdata: the games run as native ones.
//
// Apply() points this process's environment (HOME, XDG folders, TMPDIR, PATH)
// into the sandbox, so that the program and every process it starts see the
// sandbox as the machine.
class TSandboxInstallation {
public:
  struct TOptions {
    QString FakeGame;     // the stand-in game's executable
    int GameSeconds = 60; // how long the stand-in game runs
  };

  explicit TSandboxInstallation(const QString& ARoot);

  static QList<TFSVersion> Games() { return {TFSVersion::fsv22, TFSVersion::fsv25}; }

  // Writes the whole installation.
  void Create(const TOptions& AOptions);
  // Sets the environment; the values it replaced are kept for the xdg-open
  // hand-over, which opens the player's own things with the player's desktop.
  void Apply() const;

  QString Root() const { return FRoot; }
  QString Home() const;
  QString Documents() const;
  QString SteamFolder() const;
  QString Library() const;
  QString Executable(TFSVersion FSVersion) const;
  QString MyGames(TFSVersion FSVersion) const;
  QString GameSettings(TFSVersion FSVersion) const;
  QString GameXml(TFSVersion FSVersion) const;
  QString LogFile(TFSVersion FSVersion) const;
  // Where the mod folders of the generation go.
  QString ModsRoot(TFSVersion FSVersion) const;
  QString BinFolder() const;
  // The stand-in game's process id while it runs (written by xdg-open).
  QString GamePidFile(TFSVersion FSVersion) const;
  // A script at the sandbox's root that runs AProgram with the sandbox's
  // environment and its own arguments: the program's command line, tried in
  // a terminal as Steam would run it.
  void WriteProgramLauncher(const QString& AProgram) const;
  QString ProgramLauncher() const;
  // What Steam would put in for %command%: the stand-in game of FSVersion.
  QString GameCommand(TFSVersion FSVersion) const;
  // Ends the stand-in games that still run.
  void StopGames() const;

private:
  void WriteXdgOpen(const TOptions& AOptions) const;

  QString FRoot;
};

} // namespace tilvane::demo
