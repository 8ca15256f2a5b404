#include "GameSandbox.h"

#include "core/common/AppError.h"

#include <QDirIterator>
#include <QFile>

#include <filesystem>

namespace tilvane::test {

TGameSandbox::TGameSandbox() {
  // The games keep their files in their own documents folder (a Proton
  // prefix on Linux), apart from the program's settings.
  Env.Platform().SetGameDocumentsFolder(
      Env.PathOf(QStringLiteral("prefix/Documents")).toStdString());
}

QString TGameSandbox::Folder(TFSVersion AFSVersion) {
  return AFSVersion == TFSVersion::fsv19   ? QStringLiteral("FarmingSimulator2019")
         : AFSVersion == TFSVersion::fsv22 ? QStringLiteral("FarmingSimulator2022")
                                           : QStringLiteral("FarmingSimulator2025");
}

QString TGameSandbox::Executable(TFSVersion AFSVersion) const {
  return Env.PathOf(QStringLiteral("games/") + Folder(AFSVersion) + QStringLiteral(".exe"));
}

QString TGameSandbox::MyGames(TFSVersion AFSVersion) const {
  return Env.PathOf(QStringLiteral("prefix/Documents/My Games/") + Folder(AFSVersion));
}

QString TGameSandbox::GameSettings(TFSVersion AFSVersion) const {
  return MyGames(AFSVersion) + QStringLiteral("/gameSettings.xml");
}

QString TGameSandbox::GameXml(TFSVersion AFSVersion) const {
  return MyGames(AFSVersion) + QStringLiteral("/game.xml");
}

QByteArray TGameSandbox::GameSettingsContent(TFSVersion AFSVersion, const char* AInGameName) {
  const QByteArray Head =
      QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                        "<gameSettings revision=\"15\">\n");
  const QByteArray Tail = QByteArrayLiteral("</gameSettings>\n");
  // FS19 keeps the name in its player element, the later games in an
  // element of its own.
  if (AFSVersion == TFSVersion::fsv19)
    return Head + "    <player index=\"1\" colorIndex=\"15\" name=\"" + AInGameName + "\"/>\n" +
           Tail;
  return Head + "    <onlinePresenceName>" + AInGameName + "</onlinePresenceName>\n" + Tail;
}

QByteArray TGameSandbox::GameXmlContent(bool AEnableDevConsole) {
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                           "<game>\n"
                           "    <development>\n"
                           "        <controls>") +
         (AEnableDevConsole ? "true" : "false") +
         QByteArrayLiteral("</controls>\n"
                           "    </development>\n"
                           "</game>\n");
}

void TGameSandbox::Install(TFSVersion AFSVersion) {
  const char* Name = AFSVersion == TFSVersion::fsv19   ? "Batek"
                     : AFSVersion == TFSVersion::fsv22 ? "jono"
                                                       : "Farmer25";
  WriteFile(Executable(AFSVersion), "MZ");
  WriteFile(GameSettings(AFSVersion), GameSettingsContent(AFSVersion, Name));
  WriteFile(GameXml(AFSVersion), GameXmlContent(AFSVersion != TFSVersion::fsv22));
  DataModule.SetFSProgramLocation(AFSVersion, Executable(AFSVersion));
}

void TGameSandbox::RemoveExecutable(TFSVersion AFSVersion) {
  QFile::remove(Executable(AFSVersion));
}

QString TGameSandbox::RunUnderProton(TFSVersion AFSVersion) {
  namespace fs = std::filesystem;
  const QString Prefix =
      Env.PathOf(QStringLiteral("compatdata/%1/pfx").arg(FSSteamAppId(AFSVersion)));
  const fs::path DosDevices = (Prefix + QStringLiteral("/dosdevices")).toStdString();
  fs::create_directories(DosDevices);
  fs::create_directory_symlink("../drive_c", DosDevices / "c:");
  fs::create_directory_symlink("/", DosDevices / "z:");
  Env.Platform().SetProtonGame(
      FSSteamAppId(AFSVersion),
      {Prefix.toStdString(), Env.PathOf(QStringLiteral("prefix/Documents")).toStdString()});
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
