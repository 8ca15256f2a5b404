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

const char kPathDelimiter = '/';

namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home)
    return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
    return pw->pw_dir;
  return "/";
}

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// An XDG user folder as the desktop's own tools find it: the user-dirs.dirs
// file of the user's configuration, else the English default below home.
std::string UserDir(const char* variable, const char* fallbackName) {
  const std::string home = HomeFolder();
  const std::string config = EnvOr("XDG_CONFIG_HOME", home + "/.config") + "/user-dirs.dirs";
  std::string folder =
      linux_parsing::UserDirFromConfig(linux_files::ReadWholeFile(config), variable, home);
  return folder.empty() ? home + "/" + fallbackName : folder;
}

// Starts `argv` without a shell. The child's pid, or -1 when it could not be
// started (posix_spawnp reports a failed exec).
pid_t Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    return -1;
  return pid;
}

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
    const std::vector<std::string> roots = proton::SteamRoots(HomeFolder());
    return roots.empty() ? std::string() : roots.front();
  }

  ProtonGame FindProtonGame(std::uint32_t steamAppId,
                            const std::string& steamGameRelative) override {
    return proton::FindProtonGame(HomeFolder(), steamAppId, steamGameRelative);
  }

  std::vector<std::string> RunningProcessNames() override {
    DirHandle proc(opendir("/proc"));
    if (!proc)
      throw PlatformError(std::string("Cannot list the running processes: ") +
                          std::strerror(errno));
    std::vector<std::string> names;
    while (const dirent* entry = readdir(proc.get())) {
      const char* name = entry->d_name;
      if (*name < '1' || *name > '9')
        continue; // not a process id
      // /proc/<pid>/comm would be shorter to read but is cut to 15 characters.
      std::string cmdline = linux_files::ReadWholeFile(std::string("/proc/") + name + "/cmdline");
      std::string exe = linux_parsing::ProcessNameFromCmdline(cmdline);
      if (!exe.empty()) // kernel threads and zombies have no command line
        names.push_back(std::move(exe));
    }
    return names;
  }

  bool ShellOpen(const std::string& target) override {
    const pid_t pid = Spawn({"xdg-open", target});
    if (pid < 0)
      return false;
    // The opener may run as long as the opened program: reap it without waiting.
    std::thread([pid] { WaitForExit(pid); }).detach();
    return true;
  }

  // Linux file systems have no hidden attribute: nothing to read or keep.
  bool IsHidden(const std::string& /*path*/) override { return false; }
  bool SetHidden(const std::string& path, bool /*hidden*/) override { return Exists(path); }

  bool SendMail(const MailMessage& message) override {
    std::vector<std::string> args = {"xdg-email", "--subject", message.Subject, "--body",
                                     message.Body};
    for (const std::string& file : message.Attachments) {
      args.push_back("--attach");
      args.push_back(file);
    }
    const pid_t pid = Spawn(args);
    return pid >= 0 && WaitForExit(pid) == 0;
  }
};

} // namespace

std::unique_ptr<IPlatform> CreateSystemPlatform() {
  return std::make_unique<LinuxPlatform>();
}

} // namespace tilvane::platform
