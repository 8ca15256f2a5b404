#pragma once

#include <QString>

#include <cstdint>

namespace tilvane {

namespace platform {
class IPlatform;
}

// Deletes the entries of `Dir` that match `FileMask` ("*" and "?" wildcards),
// hidden ones included. Directories are skipped (only the first level is
// supported). When a file cannot be deleted, raises "Unable to delete " +
// path + CR LF + "Error: " + the system's text, and stops. Without
// `ASaveRootDir` the folder itself is removed afterwards when it is empty; a
// failure there is ignored. An empty `Dir` does nothing.
void DeleteDirAndFiles(const QString& ADir, const QString& AFileMask, bool ASaveRootDir,
                       bool AOnlyDeleteFirstLevel);

// The program's version as four 16-bit parts. Outputs are left as the caller
// set them when no version is known.
void GetBuildInfo(std::uint16_t& AV1, std::uint16_t& AV2, std::uint16_t& AV3, std::uint16_t& AV4);
// "major.minor.release.build", for example "2.4.1.17".
QString GetBuildInfoAsString();

enum class TSearchOption { soDown = 1, soMatchCase = 2, soWholeWord = 4 };
using TSearchOptions = unsigned; // a set of TSearchOption flags
inline constexpr TSearchOptions operator|(TSearchOption AA, TSearchOption AB) {
  return static_cast<unsigned>(AA) | static_cast<unsigned>(AB);
}
inline constexpr bool HasOption(TSearchOptions ASet, TSearchOption AO) {
  return (ASet & static_cast<unsigned>(AO)) != 0;
}

// True when `AKeyWord` occurs in `AString`. Without soMatchCase both sides are
// compared in upper case; with soWholeWord an occurrence must not touch a
// Unicode letter or digit on either side.
bool KeyWordInString(QStringView AString, const QString& AKeyWord, TSearchOptions ASearchOptions);

// Shell folder identifiers understood by GetSpecialFolderPath.
inline constexpr int CSIDL_DESKTOP = 0x0000;
inline constexpr int CSIDL_PERSONAL = 0x0005;
inline constexpr int CSIDL_LOCAL_APPDATA = 0x001c;
inline constexpr int CSIDL_PROGRAM_FILES = 0x0026;

// The current path of a shell folder; empty when there is none.
QString GetSpecialFolderPath(platform::IPlatform& APlatform, int ACSIDLFolder);
QString GetDesktopFolderPath(platform::IPlatform& APlatform);

} // namespace tilvane
