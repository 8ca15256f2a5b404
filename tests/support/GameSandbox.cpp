#include "support/GameSandbox.h"

#include "core/common/AppError.h"

#include <QDirIterator>
#include <QFile>

#include <filesystem>

namespace tilvane::test {

void TGameSandbox::Install(TFSVersion AFSVersion) {
  const char* Name = AFSVersion == TFSVersion::fsv19   ? "Batek"
                     : AFSVersion == TFSVersion::fsv22 ? "jono"
                                                       : "Farmer25";
  WriteFile(Games.Executable(AFSVersion), "MZ");
  WriteFile(Games.GameSettings(AFSVersion), TGameFolders::GameSettingsContent(AFSVersion, Name));
  WriteFile(Games.GameXml(AFSVersion),
            TGameFolders::GameXmlContent(AFSVersion != TFSVersion::fsv22));
  DataModule.SetFSProgramLocation(AFSVersion, Games.Executable(AFSVersion));
}

void TGameSandbox::RemoveExecutable(TFSVersion AFSVersion) {
  QFile::remove(Games.Executable(AFSVersion));
}

QString TGameSandbox::RunUnderProton(TFSVersion AFSVersion) {
  namespace fs = std::filesystem;
  const QString Prefix =
      Env.PathOf(QStringLiteral("compatdata/%1/pfx").arg(FSSteamAppId(AFSVersion)));
  const fs::path DosDevices = (Prefix + QStringLiteral("/dosdevices")).toStdString();
  fs::create_directories(DosDevices);
  fs::create_directory_symlink("../drive_c", DosDevices / "c:");
  fs::create_directory_symlink("/", DosDevices / "z:");
  Env.Platform().SetProtonGame(FSSteamAppId(AFSVersion),
                               {Prefix.toStdString(), Games.Documents().toStdString()});
  return Prefix;
}

QString TGameSandbox::StoredLocation(TFSVersion AFSVersion) {
  return DataModule.GetIniFileForFS(AFSVersion)
      .ReadString(QStringLiteral("Common"), QStringLiteral("FSProgramLocation"),
                  QStringLiteral("(none)"));
}

QMap<QString, QByteArray> TGameSandbox::Files() const {
  QMap<QString, QByteArray> Result;
  QDirIterator It(Env.Root(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (It.hasNext()) {
    const QString Path = It.next();
    Result.insert(Path, ReadFile(Path));
  }
  return Result;
}

QString ReportedMessage(const std::vector<std::exception_ptr>& AReported) {
  if (AReported.size() != 1)
    return QStringLiteral("%1 errors reported").arg(AReported.size());
  try {
    std::rethrow_exception(AReported.front());
  } catch (const EAppError& E) {
    return E.Message();
  } catch (...) {
    return QStringLiteral("an error that is no EAppError");
  }
}

} // namespace tilvane::test
