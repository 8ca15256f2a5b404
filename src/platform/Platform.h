#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Everything Tilvane needs from the operating system goes through IPlatform.
// This layer is free of Qt on purpose: paths and texts are UTF-8 std::strings,
// so the Windows implementation can be built and tested on its own.
namespace tilvane::platform {

// Raised when the operating system refuses a request whose failure the caller
// must hear about (the process list, for instance). Carries the system's text.
class PlatformError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A game that Steam runs under Proton, its Windows compatibility layer: the
// game lives in a Wine prefix of its own and sees the file system through
// that prefix's drive letters.
struct ProtonGame {
  // "<library>/steamapps/compatdata/<appid>/pfx"; empty when the game runs
  // natively.
  std::string Prefix;
  // The documents folder the game uses, inside the prefix.
  std::string DocumentsFolder;

  bool RunsUnderProton() const { return !Prefix.empty(); }
};

struct MailMessage {
  std::string Subject;
  std::string Body;
  std::vector<std::string> Attachments; // full paths
};

class IPlatform {
public:
  virtual ~IPlatform() = default;

  // The user's documents folder: the program keeps its settings below it.
  virtual std::string DocumentsFolder() = 0;
  // The documents folder a natively running game uses for "My Games": equal
  // to DocumentsFolder(). A game under Proton has its own (FindProtonGame).
  virtual std::string GameDocumentsFolder() = 0;
  virtual std::string DesktopFolder() = 0;
  virtual std::string LocalAppDataFolder() = 0;
  virtual std::string TempFolder() = 0;
  // The system's folder for installed programs; empty where there is none.
  virtual std::string ProgramFilesFolder() = 0;
  // Steam's install folder; empty when Steam is not installed.
  virtual std::string SteamFolder() = 0;
  // Whether the game of Steam App ID `steamAppId`, installed in a Steam
  // library's `steamGameRelative` folder ("steamapps/common/Farming Simulator
  // 22"), runs under Proton, and where its prefix is. Empty where games run
  // natively (Windows) or the game is not installed that way.
  virtual ProtonGame FindProtonGame(std::uint32_t ASteamAppId,
                                    const std::string& ASteamGameRelative) = 0;

  // File names (no folder) of the executables of the running processes.
  // Throws PlatformError when the system refuses to list them.
  virtual std::vector<std::string> RunningProcessNames() = 0;

  // Hands a file, folder or URL to the desktop's "open" action. False when the
  // request could not be handed over.
  virtual bool ShellOpen(const std::string& ATarget) = 0;

  // The hidden file attribute. On file systems without one, IsHidden is false
  // and SetHidden succeeds without doing anything.
  virtual bool IsHidden(const std::string& APath) = 0;
  virtual bool SetHidden(const std::string& APath, bool AHidden) = 0;

  // Hands a message to the user's mail program. False when no mail program
  // took it.
  virtual bool SendMail(const MailMessage& AMessage) = 0;
};

// The implementation for the operating system the program was built for.
std::unique_ptr<IPlatform> CreateSystemPlatform();

// The separator between folder names on this operating system ('/' or '\\').
extern const char PathDelimiter;

} // namespace tilvane::platform
