// The check for a newer release of the program on its update site, and the
// hand-over to the installer.
#include "datamodule/MainDM.h"

#include <QFile>

#include "core/common/AppError.h"
#include "core/common/CommonUtilities.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/common/WaitService.h"
#include "core/http/HttpClient.h"
#include "core/http/HttpRoutines.h"
#include "platform/Platform.h"

#include <QStringList>

namespace tilvane {

namespace {

// The file holds three short numbers; anything longer is not a version file.
constexpr qint64 MaxVersionFileSize = 4096;

const QString VersionFilePath = QStringLiteral("/Tilvane/download/LatestVersion.txt");
const QString InstallerPath = QStringLiteral("/Tilvane/download/TilvaneSetup.exe");
const QString InstallerFileName = QStringLiteral("TilvaneSetup.exe");

// A plain decimal integer: an optional sign and digits, nothing around them.
int StrToInt(const QString& AText) {
  bool Ok = !AText.isEmpty();
  for (qsizetype I = 0; Ok && I < AText.size(); ++I) {
    const QChar C = AText[I];
    Ok = (C >= QLatin1Char('0') && C <= QLatin1Char('9')) ||
         (I == 0 && AText.size() > 1 && (C == QLatin1Char('-') || C == QLatin1Char('+')));
  }
  const int Value = Ok ? AText.toInt(&Ok, 10) : 0;
  if (!Ok)
    throw EAppError(QStringLiteral("'%1' is not a valid integer value").arg(AText));
  return Value;
}

QString SiteURL(const QString& ASite, const QString& APath) {
  QString Site = ASite;
  while (Site.endsWith(QLatin1Char('/')))
    Site.chop(1);
  return Site + APath;
}

} // namespace

QString DownloadingUpdateText() {
  return QStringLiteral("Downloading the update\u2026");
}

TProgramVersion TProgramVersion::OfThisBuild() {
  TProgramVersion Version;
  GetBuildInfo(Version.Major, Version.Minor, Version.Release, Version.Build);
  return Version;
}

bool TdmMain::IsNewerRelease(const TProgramVersion& AOwnVersion, const QString& ALatestVersion) {
  const QStringList Parts = ALatestVersion.split(QLatin1Char('.'));
  if (Parts.size() != 3)
    return false;
  const int P1 = StrToInt(Parts[0]);
  const int P2 = StrToInt(Parts[1]);
  const int P3 = StrToInt(Parts[2]);
  // The build number takes no part: a build of the latest release is current.
  if (AOwnVersion.Major != P1)
    return AOwnVersion.Major < P1;
  if (AOwnVersion.Minor != P2)
    return AOwnVersion.Minor < P2;
  return AOwnVersion.Release < P3;
}

bool TdmMain::IsUpdateAvailable(QString& ALatestVersion, const std::atomic_bool* ACancelled) {
  if (FUpdateSite.isEmpty())
    return false;
  // Long enough for a site across the internet; the check runs once per
  // start, and a site that trickles its answer ends it all the same.
  const int Timeout = FNetworkLimits.UpdateCheckTimeout;
  THttpClient Client;
  Client.SetConnectionTimeout(Timeout);
  Client.SetResponseTimeout(Timeout);
  Client.SetTotalTimeout(Timeout);
  if (ACancelled)
    Client.SetAbortCheck([ACancelled] { return ACancelled->load(); });
  bool TooLong = false;
  Client.SetOnReceiveData([&TooLong](qint64 AContentLength, qint64 AReadCount, bool& AAbort) {
    TooLong = AContentLength > MaxVersionFileSize || AReadCount > MaxVersionFileSize;
    AAbort = TooLong;
  });
  QByteArray Body;
  try {
    Body = Client.GetBytes(SiteURL(FUpdateSite, VersionFilePath));
  } catch (const EAppError&) {
    // Offline, or the site is down: a player without a connection is not to
    // be bothered at every start.
    return false;
  }
  if (Client.StatusCode() != 200 || TooLong || (ACancelled && ACancelled->load()))
    return false;
  ALatestVersion = QString::fromLocal8Bit(Body);
  return IsNewerRelease(FProgramVersion, ALatestVersion);
}

namespace {
bool StartsLikeAProgram(const QString& AFileName) {
  QFile File(AFileName);
  return File.open(QIODevice::ReadOnly) && File.read(2) == QByteArrayLiteral("MZ");
}
} // namespace

bool TdmMain::DownloadAndStartInstaller() {
  const QString FileName = JoinPath(FromPlatform(FPlatform.TempFolder()), InstallerFileName);
  const QString URL = SiteURL(FUpdateSite, InstallerPath);
  // A failed download tells the user why; starting whatever lies at the
  // file's place, or closing the program, would only do harm.
  bool Downloaded = false;
  try {
    if (!FWait->RunWhileWaiting(DownloadingUpdateText(), [&](const std::atomic_bool& ACancelled) {
          Downloaded = DownloadHttpFile(URL, FileName, &ACancelled);
        }))
      return false;
  } catch (const EAppError& Error) {
    FPrompts.ShowMessage(QStringLiteral("Unable to download: ") + URL +
                             QStringLiteral("\r\nError: ") + Error.Message(),
                         TMessageKind::Error);
    return false;
  }
  if (!Downloaded)
    return false;
  // A 200 answer can be a portal's or a host's web page; only a Windows
  // program (its "MZ" header) is started.
  if (!StartsLikeAProgram(FileName)) {
    QFile::remove(FileName);
    FPrompts.ShowMessage(QStringLiteral("The update site did not send an installer: ") + URL,
                         TMessageKind::Error);
    return false;
  }
  if (!FPlatform.ShellOpen(ToPlatform(FileName))) {
    FPrompts.ShowMessage(
        QStringLiteral("The update was downloaded to %1 but could not be started.").arg(FileName),
        TMessageKind::Error);
    return false;
  }
  return true;
}

} // namespace tilvane
