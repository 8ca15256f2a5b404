#pragma once

#include <QString>

#include <array>

namespace tilvane {

// The game generation. Every generation-dependent name is built from its
// number string ("19", "22", "25").
enum class TFSVersion { fsv19, fsv22, fsv25 };

inline constexpr std::array<TFSVersion, 3> AllFSVersions = {TFSVersion::fsv19, TFSVersion::fsv22,
                                                            TFSVersion::fsv25};

// "fsv19", "fsv22", "fsv25".
QString FSVersionName(TFSVersion FSVersion);
// "19", "22", "25": the member's name without "fsv".
QString FSVersionToNumberStr(TFSVersion FSVersion);
// Raises "Unknown FSVersion: " + the member's name. Taken by code that handles
// each generation separately when it meets a value it has no branch for.
[[noreturn]] void RaiseFSVersionException(TFSVersion FSVersion);

} // namespace tilvane
