#pragma once

#include <string>
#include <string_view>
#include <vector>

// Text formats the Linux platform reads, kept apart from the system calls so
// that they can be tested on their own.
namespace tilvane::platform::linux_parsing {

// The folder that `~/.config/user-dirs.dirs` names for `variable` (for example
// "XDG_DOCUMENTS_DIR"), with "$HOME" replaced by `home`. Empty when the file
// does not name it.
std::string UserDirFromConfig(std::string_view AConfigText, std::string_view AVariable,
                              const std::string& AHome);

// The executable's file name from the content of /proc/<pid>/cmdline: the
// first argument up to its first NUL, after the last '/' or '\' (programs run
// under Wine or Proton show a Windows path there). When that argument holds
// a whole Windows command line, it ends with its ".exe". Empty for an empty
// buffer.
std::string ProcessNameFromCmdline(std::string_view ACmdline);

// The library folders a Steam `libraryfolders.vdf` lists, in its order: the
// quoted value after each quoted "path" key. A Steam that runs inside Wine
// writes its paths as "Z:\\home\\..."; drive Z: is the Linux root there,
// so those come back as "/home/...". Paths on other drive letters lead
// nowhere on this system and are left out.
std::vector<std::string> SteamLibraryPaths(std::string_view AVdfText);

} // namespace tilvane::platform::linux_parsing
