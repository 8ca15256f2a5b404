#include "platform/ProtonLocator.h"

#include "platform/LinuxFiles.h"
#include "platform/LinuxPlatformParsing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tilvane::platform::proton {

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// Adds `folder` unless it is one already listed under another name: links
// between Steam's folders are common, so the real path decides.
void AddOnce(std::vector<std::string>& list, std::vector<fs::path>& seen,
             const std::string& folder) {
  std::error_code ec;
  fs::path real = fs::canonical(folder, ec);
  if (ec)
    real = fs::path(folder).lexically_normal();
  if (std::find(seen.begin(), seen.end(), real) != seen.end())
    return;
  seen.push_back(real);
  list.push_back(folder);
}

} // namespace

std::vector<std::string> SteamRoots(const std::string& home) {
  std::vector<std::string> roots;
  std::vector<fs::path> seen;
  for (const char* relative :
       {"/.steam/steam", "/.local/share/Steam", "/.steam/debian-installation",
        "/.var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
    const std::string candidate = home + relative;
    if (IsDirectory(candidate))
      AddOnce(roots, seen, candidate);
  }
  return roots;
}

std::vector<std::string> SteamLibraries(const std::string& steamRoot) {
  std::vector<std::string> libraries;
  std::vector<fs::path> seen;
  AddOnce(libraries, seen, steamRoot);
  for (const char* file : {"/steamapps/libraryfolders.vdf", "/config/libraryfolders.vdf"}) {
    for (const std::string& library :
         linux_parsing::SteamLibraryPaths(linux_files::ReadWholeFile(steamRoot + file))) {
      if (IsDirectory(library))
        AddOnce(libraries, seen, library);
    }
  }
  return libraries;
}

std::string PrefixDocumentsFolder(const std::string& prefix) {
  const std::string user = prefix + "/drive_c/users/steamuser/";
  const std::string current = user + "Documents";
  const std::string older = user + "My Documents";
  for (const std::string& folder : {current, older}) {
    if (IsDirectory(folder + "/My Games"))
      return folder;
  }
  return !IsDirectory(current) && IsDirectory(older) ? older : current;
}

ProtonGame FindProtonGame(const std::string& home, std::uint32_t steamAppId,
                          const std::string& steamGameRelative) {
  const std::string compatdata = "/steamapps/compatdata/" + std::to_string(steamAppId) + "/pfx";
  for (const std::string& root : SteamRoots(home)) {
    for (const std::string& library : SteamLibraries(root)) {
      const std::string prefix = library + compatdata;
      if (IsDirectory(library + "/" + steamGameRelative) && IsDirectory(prefix))
        return ProtonGame{prefix, PrefixDocumentsFolder(prefix)};
    }
  }
  return {};
}

} // namespace tilvane::platform::proton
