#pragma once

#include <string>
#include <vector>

// What the command line needs of the system: whether a person watches the
// terminal, how a launch option is written for the system's Steam, and how
// the program hands its process over to the game.
namespace tilvane::platform {

// True when the standard error stream is a terminal (a console window on
// Windows): progress goes there instead of into a window.
bool StandardErrorIsTerminal();
// True when the standard input is a terminal, so that a question can be
// answered there.
bool StandardInputIsTerminal();

// AArgument written so that the system's Steam hands it over unchanged when
// it runs a game's launch options: on Linux Steam runs them with /bin/sh -c,
// so anything beyond plain letters, digits and "-_./=:,+@%" goes into single
// quotes; on Windows Steam splits them as the C runtime does, so such an
// argument goes into double quotes.
std::string QuoteLaunchArgument(const std::string& AArgument);

// Replaces this process with ACommand (the first element is looked up in PATH
// when it has no folder), with the same process id and the same open
// standard streams, as Steam expects of a launch option that wraps the game.
// Windows has no such call: there the command runs as a child, and this
// process ends with its exit code when it ends. Returns only when the command
// could not be started, with the reason.
std::string ReplaceProcess(const std::vector<std::string>& ACommand);

} // namespace tilvane::platform
