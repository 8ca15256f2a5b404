#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the crash report tells about the machine and the process. Every
// function gives nothing (an empty list, no value) when the system does not
// tell; the report then leaves its section out.
namespace tilvane::platform {

struct TThreadInfo {
  std::int64_t Id = 0;
  std::string Name; // as the system lists it; may be cut short (15 bytes on Linux)
};

// The threads of this process, by ID.
std::vector<TThreadInfo> ListThreads();

// The operating system in the terms of the report's system line.
struct TSystemInfo {
  std::string Name;        // Linux: the kernel's name ("Linux"); Windows: "Windows"
  std::string ProductType; // Linux: the machine's architecture ("x86_64"); Windows:
                           // "Workstation", "Server" or "Domain controller"
  int MajorVersion = 0;    // Linux: the kernel release's first number; Windows: 10 for 10 and 11
  int MinorVersion = 0;    // Linux: its second number
  unsigned Build = 0;      // Linux: its third number (the patch level); Windows: the build
  std::string Details;     // Linux: the whole release and the kernel's build text;
                           // Windows: the service pack, mostly empty
};
std::optional<TSystemInfo> GetSystemInfo();

// The processor's features the report names, in the report's order.
struct TProcessorFeatures {
  bool FdivBug = false;
  bool MMXExt = false;
  bool MMX = false;
  bool SSE = false;
  bool SSE2 = false;
  bool SSE3 = false;
  bool SSSE3 = false;
  bool SSE41 = false;
  bool SSE42 = false;
  bool SSE4A = false;
  bool SSE5 = false;
  bool ThreeDNowExt = false;
  bool ThreeDNow = false;
  bool Bits64 = false;
  bool DEP = false; // no-execute pages
};

struct TProcessorInfo {
  std::string Vendor;
  std::string Name;
  int MHz = 0;
  TProcessorFeatures Features;
};
std::optional<TProcessorInfo> GetProcessorInfo();

struct TMemoryInfo {
  std::uint64_t TotalBytes = 0;
  std::uint64_t FreeBytes = 0; // what programs can still get without swapping
};
std::optional<TMemoryInfo> GetMemoryInfo();

// An executable or library mapped into this process.
struct TModuleInfo {
  std::uintptr_t BaseAddress = 0; // where its first segment starts
  std::string Path;
};

// The loaded modules in the loader's order (the program first).
std::vector<TModuleInfo> ListModules();

} // namespace tilvane::platform
