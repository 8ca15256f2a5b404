#pragma once

#include <string>

// The last words of a program that the system is about to end (an invalid
// memory access, an abort, an illegal instruction): what happened goes to a
// small text file, which the program offers to show at its next start.
namespace tilvane::platform {

// From now on a fatal signal (on Linux SIGSEGV, SIGABRT, SIGBUS, SIGFPE and
// SIGILL; on Windows an exception nothing handles, and SIGABRT) writes the
// signal's or the exception's name, the time and the raw call stack to
// AReportPath and then ends the process as the signal would have without
// it. The folder must exist by then; nothing is created. Nothing is shown:
// no window can be drawn safely at that moment. Calling it again replaces
// the path. False when the handlers could not be installed or the path is
// too long.
bool InstallFatalSignalHandlers(const std::string& AReportPath);

// Puts back what the signals did before InstallFatalSignalHandlers.
void RemoveFatalSignalHandlers();

} // namespace tilvane::platform
