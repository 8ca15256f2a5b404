#include "core/game/WineDrives.h"

#include <QDir>
#include <QFileInfo>

namespace tilvane {

namespace {

// Whether `APath` lies in `AFolder` or below it, and the rest after the
// folder (starting with '/', or empty for the folder itself). "/home/deckard"
// is not below "/home/deck".
bool RestBelow(const QString& APath, const QString& AFolder, QString& ARest) {
  if (AFolder == QStringLiteral("/")) {
    ARest = APath == AFolder ? QString() : APath;
    return APath.startsWith(QLatin1Char('/'));
  }
  if (!APath.startsWith(AFolder))
    return false;
  ARest = APath.mid(AFolder.size());
  return ARest.isEmpty() || ARest.startsWith(QLatin1Char('/'));
}

bool IsDriveName(const QString& AName) {
  return AName.size() == 2 && AName[1] == QLatin1Char(':') && AName[0].isLetter() &&
         AName[0].unicode() < 128;
}

} // namespace

TWineDrives::TWineDrives(std::vector<TDrive> ADrives) : FDrives(std::move(ADrives)) {}

TWineDrives TWineDrives::Read(const QString& APrefix) {
  std::vector<TDrive> Drives;
  const QDir DosDevices(APrefix + QStringLiteral("/dosdevices"));
  // "c::" and the like are raw devices, "com1" serial ports: only "x:" is a
  // drive.
  const QFileInfoList Entries = DosDevices.entryInfoList(QDir::AllEntries | QDir::System |
                                                         QDir::Hidden | QDir::NoDotAndDotDot);
  for (const QFileInfo& Entry : Entries) {
    if (!Entry.isSymLink() || !IsDriveName(Entry.fileName()))
      continue;
    // A relative link ("../drive_c") counts from the dosdevices folder.
    const QString Target = QDir::cleanPath(Entry.symLinkTarget());
    if (!Target.isEmpty())
      Drives.push_back({Entry.fileName()[0].toUpper(), Target});
  }
  return TWineDrives(std::move(Drives));
}

TWineDrives TWineDrives::LinuxRootAsZ() {
  return TWineDrives({{QLatin1Char('Z'), QStringLiteral("/")}});
}

QString TWineDrives::ToWindows(const QString& ALinuxPath) const {
  const TDrive* Best = nullptr;
  QString BestRest;
  for (const TDrive& Drive : FDrives) {
    QString Rest;
    if (RestBelow(ALinuxPath, Drive.Target, Rest) && (!Best || Rest.size() < BestRest.size())) {
      Best = &Drive;
      BestRest = Rest;
    }
  }
  if (!Best)
    return {};
  QString Result = QString(Best->Letter) + QLatin1Char(':') + BestRest;
  Result.replace(QLatin1Char('/'), QLatin1Char('\\'));
  return BestRest.isEmpty() ? Result + QLatin1Char('\\') : Result;
}

QString TWineDrives::ToLinux(const QString& AWindowsPath) const {
  if (AWindowsPath.size() < 2 || AWindowsPath[1] != QLatin1Char(':'))
    return AWindowsPath;
  const QChar Letter = AWindowsPath[0].toUpper();
  for (const TDrive& Drive : FDrives) {
    if (Drive.Letter != Letter)
      continue;
    QString Rest = AWindowsPath.mid(2);
    Rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (Drive.Target == QStringLiteral("/"))
      return Rest.isEmpty() ? Drive.Target : Rest;
    // "C:\" is the drive's folder itself.
    return Rest == QStringLiteral("/") ? Drive.Target : Drive.Target + Rest;
  }
  return AWindowsPath;
}

} // namespace tilvane
