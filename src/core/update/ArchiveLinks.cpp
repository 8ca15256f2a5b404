#include "core/update/ArchiveLinks.h"

#include "core/common/Paths.h"
#include "platform/FileLinks.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace tilvane {

bool SameFile(const QString& APathA, const QString& APathB) {
  const platform::TFileIdentity A = platform::FileIdentityOf(ToPlatform(APathA));
  const platform::TFileIdentity B = platform::FileIdentityOf(ToPlatform(APathB));
  return A.Valid && B.Valid && A.Device == B.Device && A.File == B.File;
}

bool SameDrive(const QString& APathA, const QString& APathB) {
  const platform::TFileIdentity A = platform::DriveOf(ToPlatform(APathA));
  const platform::TFileIdentity B = platform::DriveOf(ToPlatform(APathB));
  return A.Valid && B.Valid && A.Device == B.Device;
}

TArchiveLinkOutcome LinkInPlace(const QString& AExisting, const QString& ATarget,
                                const QString& ATempSuffix, QString& AReason) {
  const QString Temp = ATarget + ATempSuffix;
  // A leftover of a run that was killed would make the link fail.
  QFile::remove(Temp);
  std::string Reason;
  switch (platform::LinkFile(ToPlatform(AExisting), ToPlatform(Temp), Reason)) {
  case platform::TLinkOutcome::Linked:
    break;
  case platform::TLinkOutcome::NotPossible:
    AReason = FromPlatform(Reason);
    return TArchiveLinkOutcome::NotPossible;
  case platform::TLinkOutcome::Failed:
    AReason = FromPlatform(Reason);
    return TArchiveLinkOutcome::Failed;
  }
  std::error_code Error;
  std::filesystem::rename(std::filesystem::path(Temp.toStdU16String()),
                          std::filesystem::path(ATarget.toStdU16String()), Error);
  if (Error) {
    QFile::remove(Temp);
    AReason = QString::fromStdString(Error.message());
    return TArchiveLinkOutcome::Failed;
  }
  return TArchiveLinkOutcome::Linked;
}

} // namespace tilvane
