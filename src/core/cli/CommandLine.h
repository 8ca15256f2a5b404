#pragma once

#include "core/game/FSVersion.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tilvane {

// What the program was asked to do on its command line. Without a command
// it opens its main window.
struct TCommandLine {
  enum class TKind { Window, List, Activate, Sync, Launch };
  TKind Kind = TKind::Window;
  // The mod folder of --activate, --sync and --launch: a button's name or
  // its folder.
  QString Name;
  // --game, or the generation --list names; none: decided by the command.
  std::optional<TFSVersion> Game;
  // Progress and questions on the terminal even when there is none.
  bool NoWindow = false;
  // --launch's command, everything after "--", exactly as given.
  QStringList Command;
};

// The outcome of reading a command line: a command, or the one line that
// says what is wrong with it, or a text to print (help, version) and leave.
struct TCommandLineReading {
  std::optional<TCommandLine> Line;
  QString Error;  // bad arguments: exit code 2
  QString Output; // --help or --version: printed, exit code 0
};

// Reads AArguments (the program's name first). Everything after the first
// "--" belongs to --launch's command and is never read as an option, so
// that the game's own arguments reach it whatever they look like.
TCommandLineReading ReadCommandLine(const QStringList& AArguments);

// "FS22" (any letter case) or "22"; none for anything else.
std::optional<TFSVersion> FSVersionFromCaption(const QString& AText);

} // namespace tilvane
