#include "platform/LinuxSystemInfoParsing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tilvane::platform::linux_parsing {

namespace {

std::string_view Trim(std::string_view AText) {
  const auto First = AText.find_first_not_of(" \t\r");
  if (First == std::string_view::npos)
    return {};
  const auto Last = AText.find_last_not_of(" \t\r");
  return AText.substr(First, Last - First + 1);
}

// Calls AOnField(key, value) for each "key : value" line up to the first empty
// line: the end of the first processor's block in /proc/cpuinfo.
template <typename TOnField> void ForEachField(std::string_view AText, TOnField AOnField) {
  while (!AText.empty()) {
    const auto End = AText.find('\n');
    const std::string_view Line = AText.substr(0, End);
    AText = End == std::string_view::npos ? std::string_view() : AText.substr(End + 1);
    if (Trim(Line).empty())
      return;
    const auto Colon = Line.find(':');
    if (Colon != std::string_view::npos)
      AOnField(Trim(Line.substr(0, Colon)), Trim(Line.substr(Colon + 1)));
  }
}

void SetFeature(TProcessorFeatures& AFeatures, std::string_view AFlag) {
  // The kernel's names for the features: "pni" is SSE3, "lm" long mode, "nx"
  // the no-execute bit that Windows calls DEP. The kernel has no flag for
  // AMD's withdrawn SSE5.
  const struct {
    std::string_view Flag;
    bool TProcessorFeatures::*Feature;
  } Flags[] = {
      {"mmxext", &TProcessorFeatures::MMXExt},   {"mmx", &TProcessorFeatures::MMX},
      {"sse", &TProcessorFeatures::SSE},         {"sse2", &TProcessorFeatures::SSE2},
      {"pni", &TProcessorFeatures::SSE3},        {"ssse3", &TProcessorFeatures::SSSE3},
      {"sse4_1", &TProcessorFeatures::SSE41},    {"sse4_2", &TProcessorFeatures::SSE42},
      {"sse4a", &TProcessorFeatures::SSE4A},     {"3dnowext", &TProcessorFeatures::ThreeDNowExt},
      {"3dnow", &TProcessorFeatures::ThreeDNow}, {"lm", &TProcessorFeatures::Bits64},
      {"nx", &TProcessorFeatures::DEP},
  };
  for (const auto& Entry : Flags)
    if (Entry.Flag == AFlag)
      AFeatures.*Entry.Feature = true;
}

void SetFeatures(TProcessorFeatures& AFeatures, std::string_view AFlags) {
  while (!AFlags.empty()) {
    const auto Space = AFlags.find_first_of(" \t");
    SetFeature(AFeatures, AFlags.substr(0, Space));
    AFlags = Space == std::string_view::npos ? std::string_view() : AFlags.substr(Space + 1);
  }
}

int RoundedMHz(std::string_view AValue) {
  // strtod, unlike from_chars for doubles, is there in every libstdc++; the
  // kernel writes the C locale's decimal point, and so does the program's.
  const std::string Text(AValue);
  char* End = nullptr;
  const double MHz = std::strtod(Text.c_str(), &End);
  return End == Text.c_str() ? 0 : static_cast<int>(std::lround(MHz));
}

std::uint64_t KiloBytes(std::string_view AValue) {
  std::uint64_t Value = 0;
  std::from_chars(AValue.data(), AValue.data() + AValue.size(), Value);
  return Value * 1024;
}

} // namespace

std::optional<TProcessorInfo> ProcessorFromCpuInfo(std::string_view ACpuInfo) {
  TProcessorInfo Info;
  // Some kernels start the file with an empty line.
  ACpuInfo = ACpuInfo.substr(std::min(ACpuInfo.find_first_not_of("\r\n"), ACpuInfo.size()));
  ForEachField(ACpuInfo, [&Info](std::string_view AKey, std::string_view AValue) {
    if (AKey == "vendor_id")
      Info.Vendor = AValue;
    else if (AKey == "model name")
      Info.Name = AValue;
    else if (AKey == "cpu MHz")
      Info.MHz = RoundedMHz(AValue);
    else if (AKey == "flags")
      SetFeatures(Info.Features, AValue);
    else if (AKey == "fdiv_bug")
      Info.Features.FdivBug = AValue == "yes";
  });
  if (Info.Vendor.empty() && Info.Name.empty())
    return std::nullopt;
  return Info;
}

std::optional<TMemoryInfo> MemoryFromMemInfo(std::string_view AMemInfo) {
  std::optional<std::uint64_t> Total, Available, Free;
  ForEachField(AMemInfo, [&](std::string_view AKey, std::string_view AValue) {
    if (AKey == "MemTotal")
      Total = KiloBytes(AValue);
    else if (AKey == "MemAvailable")
      Available = KiloBytes(AValue);
    else if (AKey == "MemFree")
      Free = KiloBytes(AValue);
  });
  if (!Total)
    return std::nullopt;
  return TMemoryInfo{*Total, Available ? *Available : Free.value_or(0)};
}

TKernelVersion KernelVersionFromRelease(std::string_view ARelease) {
  TKernelVersion Version;
  const char* Pos = ARelease.data();
  const char* End = ARelease.data() + ARelease.size();
  // Each number ends at the first character that is no digit; only a dot
  // leads to the next one.
  auto Next = [&Pos, End](auto& ANumber) {
    const auto Result = std::from_chars(Pos, End, ANumber);
    Pos = Result.ptr;
    const bool More = Result.ec == std::errc() && Pos != End && *Pos == '.';
    if (More)
      ++Pos;
    return More;
  };
  if (Next(Version.Major) && Next(Version.Minor))
    Next(Version.Patch);
  return Version;
}

} // namespace tilvane::platform::linux_parsing
