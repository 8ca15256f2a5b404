#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace tilvane {

// The game generation. Every generation-dependent name is built from its
// number string ("19", "22", "25").
enum class TFSVersion { fsv19, fsv22, fsv25 };

inline constexpr std::array<TFSVersion, 3> AllFSVersions = {TFSVersion::fsv19, TFSVersion::fsv22,
                                                            TFSVersion::fsv25};

// "fsv19", "fsv22", "fsv25".
QString FSVersionName(TFSVersion AFSVersion);
// "19", "22", "25": the member's name without "fsv".
QString FSVersionToNumberStr(TFSVersion AFSVersion);
// Raises "Unknown FSVersion: " + the member's name. Taken by code that handles
// each generation separately when it meets a value it has no branch for.
[[noreturn]] void RaiseFSVersionException(TFSVersion AFSVersion);

// The names that follow from the number string. Relative folder names use the
// separator of this operating system.

// "FS22.ini": the generation's own settings file in the program's folder.
QString FSIniFileName(TFSVersion AFSVersion);
// "My Games\FarmingSimulator2022", relative to the game's documents folder.
QString FSMyGamesRelative(TFSVersion AFSVersion);
// "FarmingSimulator2022.exe": the executable the program starts.
QString FSExeName(TFSVersion AFSVersion);
// "steamapps\common\Farming Simulator 22", relative to a Steam library.
QString FSSteamGameRelative(TFSVersion AFSVersion);
// "Farming Simulator 2022", relative to the program-files folder.
QString FSStandAloneGameRelative(TFSVersion AFSVersion);
// "FarmingSimulator2022Game.exe": the process of the running game (not the launcher).
QString FSProcessName(TFSVersion AFSVersion);
// "FS22".
QString FSTabCaption(TFSVersion AFSVersion);
// The game's Steam App ID: 787860, 1248130, 2300320. Raises for a value it
// has no branch for.
std::uint32_t FSSteamAppId(TFSVersion AFSVersion);

} // namespace tilvane
