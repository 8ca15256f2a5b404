#include "platform/LinuxFiles.h"
#include "platform/LinuxPlatformParsing.h"
#include "platform/Platform.h"
#include "platform/ProtonLocator.h"

#include <dirent.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

extern char** environ;

namespace tilvane::platform {

const char PathDelimiter = '/';

namespace {

struct DirCloser {
  void operator()(DIR* ADir) const { closedir(ADir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::string EnvOr(const char* AName, const std::string& AFallback) {
  const char* Value = std::getenv(AName);
  return Value && *Value ? std::string(Value) : AFallback;
}

std::string HomeFolder() {
  if (const char* Home = std::getenv("HOME"); Home && *Home)
    return Home;
  if (const passwd* Pw = getpwuid(getuid()); Pw && Pw->pw_dir)
    return Pw->pw_dir;
  return "/";
}

bool Exists(const std::string& APath) {
  struct stat St {};
  return stat(APath.c_str(), &St) == 0;
}

// An XDG user folder as the desktop's own tools find it: the user-dirs.dirs
// file of the user's configuration, else the English default below home.
std::string UserDir(const char* AVariable, const char* AFallbackName) {
  const std::string Home = HomeFolder();
  const std::string Config = EnvOr("XDG_CONFIG_HOME", Home + "/.config") + "/user-dirs.dirs";
  std::string Folder =
      linux_parsing::UserDirFromConfig(linux_files::ReadWholeFile(Config), AVariable, Home);
  return Folder.empty() ? Home + "/" + AFallbackName : Folder;
}

// Starts `argv` without a shell. The child's pid, or -1 when it could not be
// started (posix_spawnp reports a failed exec).
pid_t Spawn(const std::vector<std::string>& AArgs) {
  std::vector<char*> Argv;
  for (const std::string& A : AArgs)
    Argv.push_back(const_cast<char*>(A.c_str()));
  Argv.push_back(nullptr);
  pid_t Pid = -1;
  if (posix_spawnp(&Pid, Argv[0], nullptr, nullptr, Argv.data(), environ) != 0)
    return -1;
  return Pid;
}

int WaitForExit(pid_t APid) {
  int Status = 0;
  while (waitpid(APid, &Status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

class LinuxPlatform : public IPlatform {
public:
  std::string DocumentsFolder() override { return UserDir("XDG_DOCUMENTS_DIR", "Documents"); }
  // A game under Proton has its documents in its prefix (FindProtonGame).
  std::string GameDocumentsFolder() override { return DocumentsFolder(); }
  std::string DesktopFolder() override { return UserDir("XDG_DESKTOP_DIR", "Desktop"); }
  std::string LocalAppDataFolder() override {
    return EnvOr("XDG_DATA_HOME", HomeFolder() + "/.local/share");
  }
  std::string TempFolder() override { return EnvOr("TMPDIR", "/tmp"); }
  std::string ProgramFilesFolder() override { return {}; }

  std::string SteamFolder() override {
    const std::vector<std::string> Roots = proton::SteamRoots(HomeFolder());
    return Roots.empty() ? std::string() : Roots.front();
  }

  ProtonGame FindProtonGame(std::uint32_t ASteamAppId,
                            const std::string& ASteamGameRelative) override {
    return proton::FindProtonGame(HomeFolder(), ASteamAppId, ASteamGameRelative,
                                  EnvOr("STEAM_COMPAT_DATA_PATH", {}));
  }

  std::vector<std::string> RunningProcessNames() override {
    DirHandle Proc(opendir("/proc"));
    if (!Proc)
      throw PlatformError(std::string("Cannot list the running processes: ") +
                          std::strerror(errno));
    std::vector<std::string> Names;
    while (const dirent* Entry = readdir(Proc.get())) {
      const char* Name = Entry->d_name;
      if (*Name < '1' || *Name > '9')
        continue; // not a process id
      // /proc/<pid>/comm would be shorter to read but is cut to 15 characters.
      std::string Cmdline = linux_files::ReadWholeFile(std::string("/proc/") + Name + "/cmdline");
      std::string Exe = linux_parsing::ProcessNameFromCmdline(Cmdline);
      if (!Exe.empty()) // kernel threads and zombies have no command line
        Names.push_back(std::move(Exe));
    }
    return Names;
  }

  bool ShellOpen(const std::string& ATarget) override {
    const pid_t Pid = Spawn({"xdg-open", ATarget});
    if (Pid < 0)
      return false;
    // The opener may run as long as the opened program: reap it without waiting.
    std::thread([Pid] { WaitForExit(Pid); }).detach();
    return true;
  }

  // Linux file systems have no hidden attribute: nothing to read or keep.
  bool IsHidden(const std::string& /*path*/) override { return false; }
  bool SetHidden(const std::string& APath, bool /*hidden*/) override { return Exists(APath); }

  bool SendMail(const MailMessage& AMessage) override {
    std::vector<std::string> Args = {"xdg-email", "--subject", AMessage.Subject, "--body",
                                     AMessage.Body};
    for (const std::string& File : AMessage.Attachments) {
      Args.push_back("--attach");
      Args.push_back(File);
    }
    const pid_t Pid = Spawn(Args);
    return Pid >= 0 && WaitForExit(Pid) == 0;
  }
};

} // namespace

std::unique_ptr<IPlatform> CreateSystemPlatform() {
  return std::make_unique<LinuxPlatform>();
}

} // namespace tilvane::platform
