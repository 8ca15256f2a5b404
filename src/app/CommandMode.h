#pragma once

#include <string>
#include <vector>

namespace tilvane {

struct TCommandLine;

// What a command leaves for main() to do once every object of the program
// is gone: exit with ExitCode, or, when Command is set, hand the process
// over to it (the game of a launch option).
struct TCommandOutcome {
  int ExitCode = 0;
  std::vector<std::string> Command;
};

// Runs ALine's command (--list, --activate, --sync, --launch). Progress and
// questions go to the terminal when there is one (or --no-window says so),
// else to the small sync window. Exit codes: 0 done or in line, 1 refused or
// failed or cancelled, 2 an unknown mod folder.
TCommandOutcome RunCommand(const TCommandLine& ALine, int& AArgc, char** AArgv);

// The whole program as main() runs it: a command when the command line
// names one, else the main window. Bad arguments get one line and exit 2.
int RunProgram(int AArgc, char** AArgv);

} // namespace tilvane
