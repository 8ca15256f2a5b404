#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>
#include <vector>

// Where Steam on Linux keeps its games and their Proton prefixes, found on
// the file system below a home folder (the user's, or a test's sandbox).
namespace tilvane::platform::proton {

// Steam's install folders below `home` that exist, each once: ~/.steam/steam
// (Steam's pointer to the install it runs, mostly a link to one of the
// others) first, then ~/.local/share/Steam, ~/.steam/debian-installation and
// the Flatpak install.
std::vector<std::string> SteamRoots(const std::string& AHome);

// The libraries of one Steam install, each once: the install itself, then
// those listed in steamapps/libraryfolders.vdf (where current Steam keeps
// the list) and config/libraryfolders.vdf (older Steam).
std::vector<std::string> SteamLibraries(const std::string& ASteamRoot);

// The documents folder of a Proton prefix: steamuser's "Documents", or
// "My Documents" in prefixes made by older Proton versions. The one holding
// "My Games" wins; without either, "Documents", where the game will create it.
std::string PrefixDocumentsFolder(const std::string& APrefix);

// The first library of the first Steam install that holds the game's folder
// and its prefix (steamapps/compatdata/<appid>/pfx) decides. Empty when no
// library has both.
//
// When Steam started this program for the game (a launch option), it named
// the game's own compatibility folder in STEAM_COMPAT_DATA_PATH: given as
// ASteamCompatData, that folder's pfx wins over the search when the folder
// belongs to this App ID (its last part is the App ID) and holds one, since
// it is the prefix the game is about to run in.
ProtonGame FindProtonGame(const std::string& AHome, std::uint32_t ASteamAppId,
                          const std::string& ASteamGameRelative,
                          const std::string& ASteamCompatData = {});

} // namespace tilvane::platform::proton
