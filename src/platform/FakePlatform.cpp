#include "platform/FakePlatform.h"

#include <algorithm>

namespace tilvane::platform {

namespace fs = std::filesystem;

namespace {
std::string MakeFolder(const fs::path& root, const char* name) {
  fs::path folder = root / name;
  std::error_code ec;
  fs::create_directories(folder, ec);
  return folder.string();
}

std::string Canonical(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::path(path), ec);
  return ec ? path : p.string();
}
} // namespace

FakePlatform::FakePlatform(fs::path root)
    : FRoot(std::move(root)), FDocuments(MakeFolder(FRoot, "Documents")),
      FDesktop(MakeFolder(FRoot, "Desktop")), FLocalAppData(MakeFolder(FRoot, "LocalAppData")),
      FTemp(MakeFolder(FRoot, "Temp")), FProgramFiles(MakeFolder(FRoot, "ProgramFiles")) {}

std::string FakePlatform::DocumentsFolder() {
  return FDocuments;
}
std::string FakePlatform::GameDocumentsFolder() {
  return FGameDocuments.empty() ? FDocuments : FGameDocuments;
}
std::string FakePlatform::DesktopFolder() {
  return FDesktop;
}
std::string FakePlatform::LocalAppDataFolder() {
  return FLocalAppData;
}
std::string FakePlatform::TempFolder() {
  return FTemp;
}
std::string FakePlatform::ProgramFilesFolder() {
  return FProgramFiles;
}
std::string FakePlatform::SteamFolder() {
  return FSteam;
}

ProtonGame FakePlatform::FindProtonGame(std::uint32_t steamAppId,
                                        const std::string& /*steamGameRelative*/) {
  ++FProtonLookups;
  const auto it = FProtonGames.find(steamAppId);
  return it == FProtonGames.end() ? ProtonGame() : it->second;
}

std::vector<std::string> FakePlatform::RunningProcessNames() {
  if (!FProcessListError.empty())
    throw PlatformError(FProcessListError);
  return FProcesses;
}

bool FakePlatform::ShellOpen(const std::string& target) {
  FOpened.push_back(target);
  return FShellOpenResult;
}

bool FakePlatform::IsHidden(const std::string& path) {
  return std::find(FHidden.begin(), FHidden.end(), Canonical(path)) != FHidden.end();
}

bool FakePlatform::SetHidden(const std::string& path, bool hidden) {
  std::error_code ec;
  if (!fs::exists(fs::path(path), ec))
    return false;
  const std::string key = Canonical(path);
  auto it = std::find(FHidden.begin(), FHidden.end(), key);
  if (hidden && it == FHidden.end())
    FHidden.push_back(key);
  else if (!hidden && it != FHidden.end())
    FHidden.erase(it);
  return true;
}

bool FakePlatform::SendMail(const MailMessage& message) {
  FMails.push_back(message);
  return FSendMailResult;
}

} // namespace tilvane::platform
