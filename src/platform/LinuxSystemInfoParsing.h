#pragma once

#include "platform/SystemInfo.h"

#include <optional>
#include <string_view>

// The text files of /proc the crash report reads, kept apart from the file
// access so that they can be tested with fixed texts.
namespace tilvane::platform::linux_parsing {

// The first processor of /proc/cpuinfo: vendor_id, model name, cpu MHz
// (rounded) and the flags the report names. Nothing when the text names
// neither a vendor nor a model.
std::optional<TProcessorInfo> ProcessorFromCpuInfo(std::string_view ACpuInfo);

// MemTotal and MemAvailable of /proc/meminfo (given in kB there). Nothing
// when MemTotal is missing; a kernel older than 3.14 has no MemAvailable,
// and MemFree stands in.
std::optional<TMemoryInfo> MemoryFromMemInfo(std::string_view AMemInfo);

// The numbers a kernel release starts with: "6.1.0-18-amd64" gives 6, 1 and
// 0. Missing numbers are 0.
struct TKernelVersion {
  int Major = 0;
  int Minor = 0;
  unsigned Patch = 0;
};
TKernelVersion KernelVersionFromRelease(std::string_view ARelease);

} // namespace tilvane::platform::linux_parsing
