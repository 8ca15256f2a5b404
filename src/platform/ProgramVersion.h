#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tilvane::platform {

// Major, minor, release, build.
using TFileVersion = std::array<std::uint16_t, 4>;

// The running program's version. On Windows the fixed file version of the
// executable's version resource (not the product version); nothing when the
// executable has none or it cannot be read. Linux executables carry no
// version resource: there it is the project version the program was built with.
std::optional<TFileVersion> ProgramFileVersion();

} // namespace tilvane::platform
