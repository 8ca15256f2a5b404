#include "platform/SystemInfo.h"

#include "platform/LinuxFiles.h"
#include "platform/LinuxSystemInfoParsing.h"

#include <dirent.h>
#include <elf.h>
#include <link.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <memory>

namespace tilvane::platform {

namespace {

struct DirCloser {
  void operator()(DIR* ADir) const { closedir(ADir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::string ExecutablePath() {
  char Buffer[4096];
  const ssize_t Length = readlink("/proc/self/exe", Buffer, sizeof Buffer);
  return Length > 0 ? std::string(Buffer, static_cast<std::size_t>(Length)) : std::string();
}

struct TModuleWalk {
  std::vector<TModuleInfo>* Modules;
  bool Failed;
};

// Called by the loader for each module. Nothing may escape into the C
// library: a failure stops the walk, and the list is then left out.
int AddModule(dl_phdr_info* AInfo, size_t, void* AData) {
  auto* Walk = static_cast<TModuleWalk*>(AData);
  try {
    // The first loadable segment starts the module; for a library or a
    // position-independent program its address is the load bias itself.
    ElfW(Addr) Lowest = ~ElfW(Addr)(0);
    for (ElfW(Half) I = 0; I < AInfo->dlpi_phnum; ++I)
      if (AInfo->dlpi_phdr[I].p_type == PT_LOAD)
        Lowest = std::min(Lowest, AInfo->dlpi_phdr[I].p_vaddr);
    if (Lowest == ~ElfW(Addr)(0))
      return 0;
    const long PageSize = sysconf(_SC_PAGESIZE);
    const ElfW(Addr) Mask = PageSize > 0 ? ~ElfW(Addr)(PageSize - 1) : ~ElfW(Addr)(0);
    std::string Path = AInfo->dlpi_name ? AInfo->dlpi_name : "";
    // The loader names the program itself with an empty string.
    if (Path.empty())
      Path = Walk->Modules->empty() ? ExecutablePath() : std::string("?");
    Walk->Modules->push_back(TModuleInfo{(AInfo->dlpi_addr + Lowest) & Mask, std::move(Path)});
    return 0;
  } catch (...) {
    Walk->Failed = true;
    return 1;
  }
}

} // namespace

std::vector<TThreadInfo> ListThreads() {
  std::vector<TThreadInfo> Threads;
  DirHandle Dir(opendir("/proc/self/task"));
  if (!Dir)
    return Threads;
  while (const dirent* Entry = readdir(Dir.get())) {
    const std::string_view Name = Entry->d_name;
    TThreadInfo Thread;
    const auto Result = std::from_chars(Name.data(), Name.data() + Name.size(), Thread.Id);
    if (Result.ec != std::errc() || Result.ptr != Name.data() + Name.size())
      continue; // "." and ".."
    Thread.Name = linux_files::ReadWholeFile("/proc/self/task/" + std::string(Name) + "/comm");
    while (!Thread.Name.empty() && Thread.Name.back() == '\n')
      Thread.Name.pop_back();
    Threads.push_back(std::move(Thread));
  }
  std::sort(Threads.begin(), Threads.end(),
            [](const TThreadInfo& A_, const TThreadInfo& AB) { return A_.Id < AB.Id; });
  return Threads;
}

std::optional<TSystemInfo> GetSystemInfo() {
  utsname Names{};
  if (uname(&Names) != 0)
    return std::nullopt;
  // The host name (nodename) stays out: the report is meant to be passed on.
  const linux_parsing::TKernelVersion Version =
      linux_parsing::KernelVersionFromRelease(Names.release);
  return TSystemInfo{Names.sysname, Names.machine,
                     Version.Major, Version.Minor,
                     Version.Patch, std::string(Names.release) + " " + Names.version};
}

std::optional<TProcessorInfo> GetProcessorInfo() {
  return linux_parsing::ProcessorFromCpuInfo(linux_files::ReadWholeFile("/proc/cpuinfo"));
}

std::optional<TMemoryInfo> GetMemoryInfo() {
  return linux_parsing::MemoryFromMemInfo(linux_files::ReadWholeFile("/proc/meminfo"));
}

std::vector<TModuleInfo> ListModules() {
  std::vector<TModuleInfo> Modules;
  TModuleWalk Walk{&Modules, false};
  dl_iterate_phdr(AddModule, &Walk);
  if (Walk.Failed)
    Modules.clear();
  return Modules;
}

} // namespace tilvane::platform
