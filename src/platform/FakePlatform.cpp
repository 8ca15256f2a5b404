#include "platform/FakePlatform.h"

#include <algorithm>

namespace tilvane::platform {

namespace fs = std::filesystem;

namespace {
std::string MakeFolder(const fs::path& ARoot, const char* AName) {
  fs::path Folder = ARoot / AName;
  std::error_code ErrorCode;
  fs::create_directories(Folder, ErrorCode);
  return Folder.string();
}

std::string Canonical(const std::string& APath) {
  std::error_code ErrorCode;
  fs::path P = fs::weakly_canonical(fs::path(APath), ErrorCode);
  return ErrorCode ? APath : P.string();
}
} // namespace

FakePlatform::FakePlatform(fs::path ARoot)
    : FRoot(std::move(ARoot)), FDocuments(MakeFolder(FRoot, "Documents")),
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

ProtonGame FakePlatform::FindProtonGame(std::uint32_t ASteamAppId,
                                        const std::string& /*steamGameRelative*/) {
  ++FProtonLookups;
  const auto It = FProtonGames.find(ASteamAppId);
  return It == FProtonGames.end() ? ProtonGame() : It->second;
}

std::vector<std::string> FakePlatform::RunningProcessNames() {
  if (!FProcessListError.empty())
    throw PlatformError(FProcessListError);
  return FProcesses;
}

bool FakePlatform::ShellOpen(const std::string& ATarget) {
  FOpened.push_back(ATarget);
  return FShellOpenResult;
}

bool FakePlatform::IsHidden(const std::string& APath) {
  return std::find(FHidden.begin(), FHidden.end(), Canonical(APath)) != FHidden.end();
}

bool FakePlatform::SetHidden(const std::string& APath, bool AHidden) {
  std::error_code ErrorCode;
  if (!fs::exists(fs::path(APath), ErrorCode))
    return false;
  const std::string Key = Canonical(APath);
  auto It = std::find(FHidden.begin(), FHidden.end(), Key);
  if (AHidden && It == FHidden.end())
    FHidden.push_back(Key);
  else if (!AHidden && It != FHidden.end())
    FHidden.erase(It);
  return true;
}

bool FakePlatform::SendMail(const MailMessage& AMessage) {
  FMails.push_back(AMessage);
  return FSendMailResult;
}

} // namespace tilvane::platform
