#include "platform/FileLinks.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tilvane::platform {

TFileIdentity FileIdentityOf(const std::string& APath) {
  struct stat Info {};
  if (::stat(APath.c_str(), &Info) != 0)
    return {};
  TFileIdentity Result;
  Result.Valid = true;
  Result.Device = static_cast<std::uint64_t>(Info.st_dev);
  Result.File = static_cast<std::uint64_t>(Info.st_ino);
  Result.Links = static_cast<std::uint64_t>(Info.st_nlink);
  return Result;
}

TLinkOutcome LinkFile(const std::string& AExisting, const std::string& ANewName,
                      std::string& AReason) {
  if (::link(AExisting.c_str(), ANewName.c_str()) == 0)
    return TLinkOutcome::Linked;
  const int Error = errno;
  AReason = std::strerror(Error);
  // EXDEV: another file system. EPERM: one that has no hard links (vfat,
  // exFAT) or forbids them (protected_hardlinks). EOPNOTSUPP/ENOTSUP: FUSE
  // and network file systems that cannot. EMLINK: the file has as many names
  // as it may have.
  switch (Error) {
  case EXDEV:
  case EPERM:
  case EOPNOTSUPP:
#if ENOTSUP != EOPNOTSUPP
  case ENOTSUP:
#endif
  case EMLINK:
  case ENOSYS:
    return TLinkOutcome::NotPossible;
  default:
    return TLinkOutcome::Failed;
  }
}

} // namespace tilvane::platform
