#include "platform/ProtonLocator.h"

#include "platform/LinuxFiles.h"
#include "platform/LinuxPlatformParsing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tilvane::platform::proton {

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const fs::path& APath) {
  std::error_code ErrorCode;
  return fs::is_directory(APath, ErrorCode);
}

// Adds `folder` unless it is one already listed under another name: links
// between Steam's folders are common, so the real path decides.
void AddOnce(std::vector<std::string>& AList, std::vector<fs::path>& ASeen,
             const std::string& AFolder) {
  std::error_code ErrorCode;
  fs::path Real = fs::canonical(AFolder, ErrorCode);
  if (ErrorCode)
    Real = fs::path(AFolder).lexically_normal();
  if (std::find(ASeen.begin(), ASeen.end(), Real) != ASeen.end())
    return;
  ASeen.push_back(Real);
  AList.push_back(AFolder);
}

} // namespace

std::vector<std::string> SteamRoots(const std::string& AHome) {
  std::vector<std::string> Roots;
  std::vector<fs::path> Seen;
  for (const char* Relative :
       {"/.steam/steam", "/.local/share/Steam", "/.steam/debian-installation",
        "/.var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
    const std::string Candidate = AHome + Relative;
    if (IsDirectory(Candidate))
      AddOnce(Roots, Seen, Candidate);
  }
  return Roots;
}

std::vector<std::string> SteamLibraries(const std::string& ASteamRoot) {
  std::vector<std::string> Libraries;
  std::vector<fs::path> Seen;
  AddOnce(Libraries, Seen, ASteamRoot);
  for (const char* File : {"/steamapps/libraryfolders.vdf", "/config/libraryfolders.vdf"}) {
    for (const std::string& Library :
         linux_parsing::SteamLibraryPaths(linux_files::ReadWholeFile(ASteamRoot + File))) {
      if (IsDirectory(Library))
        AddOnce(Libraries, Seen, Library);
    }
  }
  return Libraries;
}

std::string PrefixDocumentsFolder(const std::string& APrefix) {
  const std::string User = APrefix + "/drive_c/users/steamuser/";
  const std::string Current = User + "Documents";
  const std::string Older = User + "My Documents";
  for (const std::string& Folder : {Current, Older}) {
    if (IsDirectory(Folder + "/My Games"))
      return Folder;
  }
  return !IsDirectory(Current) && IsDirectory(Older) ? Older : Current;
}

ProtonGame FindProtonGame(const std::string& AHome, std::uint32_t ASteamAppId,
                          const std::string& ASteamGameRelative,
                          const std::string& ASteamCompatData) {
  if (!ASteamCompatData.empty()) {
    std::string Folder = ASteamCompatData;
    while (Folder.size() > 1 && Folder.back() == '/')
      Folder.pop_back();
    const std::string AppId = std::to_string(ASteamAppId);
    const bool ForThisGame =
        Folder.size() > AppId.size() &&
        Folder.compare(Folder.size() - AppId.size(), AppId.size(), AppId) == 0 &&
        Folder[Folder.size() - AppId.size() - 1] == '/';
    if (ForThisGame && IsDirectory(Folder + "/pfx"))
      return ProtonGame{Folder + "/pfx", PrefixDocumentsFolder(Folder + "/pfx")};
  }
  const std::string Compatdata = "/steamapps/compatdata/" + std::to_string(ASteamAppId) + "/pfx";
  for (const std::string& Root : SteamRoots(AHome)) {
    for (const std::string& Library : SteamLibraries(Root)) {
      const std::string Prefix = Library + Compatdata;
      if (IsDirectory(Library + "/" + ASteamGameRelative) && IsDirectory(Prefix))
        return ProtonGame{Prefix, PrefixDocumentsFolder(Prefix)};
    }
  }
  return {};
}

} // namespace tilvane::platform::proton
