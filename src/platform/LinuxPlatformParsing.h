#pragma once

#include <string>
#include <string_view>

// Text formats the Linux platform reads, kept apart from the system calls so
// that they can be tested on their own.
namespace tilvane::platform::linux_parsing {

// The folder that `~/.config/user-dirs.dirs` names for `variable` (for example
// "XDG_DOCUMENTS_DIR"), with "$HOME" replaced by `home`. Empty when the file
// does not name it.
std::string UserDirFromConfig(std::string_view configText, std::string_view variable,
                              const std::string& home);

// The executable's file name from the content of /proc/<pid>/cmdline: the
// first argument up to its first NUL, after the last '/' or '\' (programs run
// under Wine or Proton show a Windows path there). Empty for an empty buffer.
std::string ProcessNameFromCmdline(std::string_view cmdline);

} // namespace tilvane::platform::linux_parsing
