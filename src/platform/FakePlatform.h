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
  explicit FakePlatform(std::filesystem::path ARoot);

  std::string DocumentsFolder() override;
  std::string GameDocumentsFolder() override;
  std::string DesktopFolder() override;
  std::string LocalAppDataFolder() override;
  std::string TempFolder() override;
  std::string ProgramFilesFolder() override;
  std::string SteamFolder() override;
  // The game set with SetProtonGame for that App ID, else a native game.
  ProtonGame FindProtonGame(std::uint32_t ASteamAppId,
                            const std::string& ASteamGameRelative) override;
  std::vector<std::string> RunningProcessNames() override;
  bool ShellOpen(const std::string& ATarget) override;
  bool IsHidden(const std::string& APath) override;
  bool SetHidden(const std::string& APath, bool AHidden) override;
  bool SendMail(const MailMessage& AMessage) override;

  const std::filesystem::path& Root() const { return FRoot; }

  void SetDocumentsFolder(std::string AFolder) { FDocuments = std::move(AFolder); }
  void SetGameDocumentsFolder(std::string AFolder) { FGameDocuments = std::move(AFolder); }
  void SetProgramFilesFolder(std::string AFolder) { FProgramFiles = std::move(AFolder); }
  void SetSteamFolder(std::string AFolder) { FSteam = std::move(AFolder); }
  void SetProtonGame(std::uint32_t ASteamAppId, ProtonGame AGame) {
    FProtonGames[ASteamAppId] = std::move(AGame);
  }
  void SetRunningProcesses(std::vector<std::string> ANames) { FProcesses = std::move(ANames); }
  // Makes RunningProcessNames throw PlatformError with this text (empty: works again).
  void SetProcessListError(std::string AMessage) { FProcessListError = std::move(AMessage); }
  void SetShellOpenResult(bool AResult) { FShellOpenResult = AResult; }
  void SetSendMailResult(bool AResult) { FSendMailResult = AResult; }

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
