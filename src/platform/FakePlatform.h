#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tilvane::platform {

// A platform for tests: every folder lies below one root folder (normally a
// temporary directory), every game runs natively unless a test says it runs
// under Proton, the process list is whatever the test sets, and
// shell, mail and attribute requests are recorded instead of carried out.
class FakePlatform : public IPlatform {
public:
  // Creates <root>/Documents, <root>/Desktop, <root>/LocalAppData, <root>/Temp
  // and <root>/ProgramFiles. Steam is absent until SetSteamFolder is called.
  explicit FakePlatform(std::filesystem::path root);

  std::string DocumentsFolder() override;
  std::string GameDocumentsFolder() override;
  std::string DesktopFolder() override;
  std::string LocalAppDataFolder() override;
  std::string TempFolder() override;
  std::string ProgramFilesFolder() override;
  std::string SteamFolder() override;
  // The game set with SetProtonGame for that App ID, else a native game.
  ProtonGame FindProtonGame(std::uint32_t steamAppId,
                            const std::string& steamGameRelative) override;
  std::vector<std::string> RunningProcessNames() override;
  bool ShellOpen(const std::string& target) override;
  bool IsHidden(const std::string& path) override;
  bool SetHidden(const std::string& path, bool hidden) override;
  bool SendMail(const MailMessage& message) override;

  const std::filesystem::path& Root() const { return FRoot; }

  void SetDocumentsFolder(std::string folder) { FDocuments = std::move(folder); }
  void SetGameDocumentsFolder(std::string folder) { FGameDocuments = std::move(folder); }
  void SetProgramFilesFolder(std::string folder) { FProgramFiles = std::move(folder); }
  void SetSteamFolder(std::string folder) { FSteam = std::move(folder); }
  void SetProtonGame(std::uint32_t steamAppId, ProtonGame game) {
    FProtonGames[steamAppId] = std::move(game);
  }
  void SetRunningProcesses(std::vector<std::string> names) { FProcesses = std::move(names); }
  // Makes RunningProcessNames throw PlatformError with this text (empty: works again).
  void SetProcessListError(std::string message) { FProcessListError = std::move(message); }
  void SetShellOpenResult(bool result) { FShellOpenResult = result; }
  void SetSendMailResult(bool result) { FSendMailResult = result; }

  // How often FindProtonGame was asked: a walk over every Steam library on a
  // real system.
  int ProtonLookups() const { return FProtonLookups; }
  const std::vector<std::string>& OpenedTargets() const { return FOpened; }
  const std::vector<MailMessage>& SentMails() const { return FMails; }

private:
  std::filesystem::path FRoot;
  std::string FDocuments;
  std::string FGameDocuments; // empty: same as FDocuments
  std::string FDesktop;
  std::string FLocalAppData;
  std::string FTemp;
  std::string FProgramFiles;
  std::string FSteam;
  std::map<std::uint32_t, ProtonGame> FProtonGames;
  int FProtonLookups = 0;
  std::vector<std::string> FProcesses;
  std::string FProcessListError;
  bool FShellOpenResult = true;
  bool FSendMailResult = true;
  std::vector<std::string> FOpened;
  std::vector<MailMessage> FMails;
  std::vector<std::string> FHidden; // canonical paths marked hidden
};

} // namespace tilvane::platform
