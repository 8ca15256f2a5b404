#pragma once

#include <cstdint>
#include <string>

// Hard links: one file under several names, so that mod folders holding the
// same archive keep one copy of its bytes. Paths are UTF-8.
namespace tilvane::platform {

// Which file a name leads to: two names are one file when both fields match.
struct TFileIdentity {
  bool Valid = false;       // false when the file could not be looked at
  std::uint64_t Device = 0; // the drive (volume) the file lives on
  std::uint64_t File = 0;   // the file on that drive (inode, file index)
  std::uint64_t Links = 0;  // how many names the file has
};

TFileIdentity FileIdentityOf(const std::string& APath);

// The drive APath (a file or a folder) lives on; Valid is false when it
// cannot be looked at. File and Links are meaningless for a folder.
inline TFileIdentity DriveOf(const std::string& APath) {
  return FileIdentityOf(APath);
}

enum class TLinkOutcome {
  Linked,
  // Another drive, or a file system without hard links (FAT, exFAT, some
  // network shares): the caller goes its other way, quietly.
  NotPossible,
  // Anything else (the name is taken, no permission): AReason tells.
  Failed,
};

// Gives the file AExisting the new name ANewName, which must not exist yet.
// (Not named CreateHardLink: windows.h makes that name a macro.)
TLinkOutcome LinkFile(const std::string& AExisting, const std::string& ANewName,
                      std::string& AReason);

} // namespace tilvane::platform
