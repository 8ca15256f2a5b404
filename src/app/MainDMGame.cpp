#include "app/MainDM.h"

#include "common/AppError.h"
#include "common/CommonUtilities.h"
#include "common/Paths.h"
#include "game/GameSettingsFiles.h"
#include "game/ProcessNameMatcher.h"
#include "game/SteamLibraryFolders.h"
#include "platform/Platform.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace tilvane {

namespace {
const QString Common = QStringLiteral("Common");
const QString FSProgramLocation = QStringLiteral("FSProgramLocation");

QString SystemText(std::errc AError) {
  return QString::fromStdString(std::make_error_code(AError).message());
}

// `AExeName` inside `ARelative` below `ABase` when that file exists. An empty
// base (no Steam, no program-files folder) finds nothing rather than a path
// relative to the working folder.
QString ExistingFile(const QString& ABase, const QString& ARelative, const QString& AExeName) {
  if (ABase.isEmpty())
    return {};
  const QString path = JoinPath(JoinPath(ABase, ARelative), AExeName);
  return QFileInfo(path).isFile() ? path : QString();
}
} // namespace

// ---- Game generations and locations ---------------------------------------

QString TdmMain::GetFSMyGamesFolder(TFSVersion FSVersion) const {
  const QString documents = FromPlatform(FPlatform.GameDocumentsFolder());
  if (documents.isEmpty())
    return {};
  const QString folder = JoinPath(documents, FSMyGamesRelative(FSVersion));
  return QFileInfo(folder).isDir() ? folder : QString();
}

QString TdmMain::GetSteamFolder() {
  return FromPlatform(FPlatform.SteamFolder());
}

QString TdmMain::GetProgramFilesFolder() {
  return FromPlatform(FPlatform.ProgramFilesFolder());
}

QString TdmMain::SearchFSProgram(TFSVersion FSVersion) {
  const QString steamGame = FSSteamGameRelative(FSVersion);
  const QString exeName = FSExeName(FSVersion);

  const QString steam = GetSteamFolder();
  if (!steam.isEmpty()) {
    QString found = ExistingFile(steam, steamGame, exeName);
    if (!found.isEmpty())
      return found;
    const QString libraryFile =
        JoinPath(steam, NativeRelative(QStringLiteral("config\\libraryfolders.vdf")));
    if (QFileInfo(libraryFile).isFile()) {
      for (const QString& library : TSteamLibraryFolders::ReadFile(libraryFile)) {
        found = ExistingFile(library, steamGame, exeName);
        if (!found.isEmpty())
          return found;
      }
    }
  }
  return ExistingFile(GetProgramFilesFolder(), FSStandAloneGameRelative(FSVersion), exeName);
}

QString TdmMain::GetFSProgramLocation(TFSVersion FSVersion) {
  const QString stored = GetIniFileForFS(FSVersion).ReadString(Common, FSProgramLocation, {});
  if (!stored.isEmpty() && QFileInfo(stored).isFile())
    return stored;

  const QString found = SearchFSProgram(FSVersion);
  if (!found.isEmpty()) {
    // Later calls stop at the stored path.
    SetFSProgramLocation(FSVersion, found);
    return found;
  }
  if (!stored.isEmpty())
    SetFSProgramLocation(FSVersion, {});
  return {};
}

void TdmMain::SetFSProgramLocation(TFSVersion FSVersion, const QString& Value) {
  GetIniFileForFS(FSVersion).WriteString(Common, FSProgramLocation, Value);
}

// ---- The game's settings files --------------------------------------------

bool TdmMain::GetFSEnableDevConsole(TFSVersion FSVersion) {
  return TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion).GetEnableDevConsole();
}

void TdmMain::SetFSEnableDevConsole(TFSVersion FSVersion, bool Value) {
  TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion).SetEnableDevConsole(Value);
}

QString TdmMain::GetFSInGameName(TFSVersion FSVersion) {
  return TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion).GetInGameName();
}

void TdmMain::SetFSInGameName(TFSVersion FSVersion, const QString& Value) {
  TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion).SetInGameName(Value);
}

QString TdmMain::GetFSModFolder(TFSVersion FSVersion) {
  return TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion).GetModFolder();
}

void TdmMain::SetFSModFolder(TFSVersion FSVersion, const QString& AFolder) {
  TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion).SetModFolder(AFolder);
}

void TdmMain::GetFSJoinGame(TFSVersion FSVersion, QString& GameNameFilter, QString& GamePassword) {
  TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion)
      .GetJoinGame(GameNameFilter, GamePassword);
}

void TdmMain::SetFSJoinGame(TFSVersion FSVersion, const QString& GameNameFilter,
                            const QString& GamePassword) {
  TGameSettingsFiles(GetFSMyGamesFolder(FSVersion), FSVersion)
      .SetJoinGame(GameNameFilter, GamePassword);
}

// ---- The game process -----------------------------------------------------

bool TdmMain::IsProcessRunning(const QString& sExeName) {
  std::vector<std::string> names;
  try {
    names = FPlatform.RunningProcessNames();
  } catch (const platform::PlatformError& e) {
    throw EAppError(FromPlatform(e.what()));
  }
  return TProcessNameMatcher(sExeName).AnyMatches(names);
}

bool TdmMain::IsFSRunning(TFSVersion FSVersion) {
  return IsProcessRunning(FSProcessName(FSVersion));
}

void TdmMain::RunFS(TFSVersion FSVersion) {
  const QString location = GetFSProgramLocation(FSVersion);
  if (location.isEmpty())
    return;
  // The game runs on its own; whether the shell took the request is not
  // something the user could act on.
  FPlatform.ShellOpen(ToPlatform(location));
}

void TdmMain::DeleteLogFile(TFSVersion FSVersion) {
  // Without the game's folder there is no log; a bare "log.txt" would name a
  // file in the working folder.
  const QString folder = GetFSMyGamesFolder(FSVersion);
  if (folder.isEmpty())
    throw EAppError(SystemText(std::errc::no_such_file_or_directory));

  const std::filesystem::path path(JoinPath(folder, QStringLiteral("log.txt")).toStdU16String());
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    throw EAppError(SystemText(std::errc::is_a_directory));
  const bool removed = std::filesystem::remove(path, error);
  if (error)
    throw EAppError(QString::fromStdString(error.message()));
  if (!removed)
    throw EAppError(SystemText(std::errc::no_such_file_or_directory));
}

void TdmMain::DeleteShaderCache(TFSVersion FSVersion) {
  const QString folder = GetFSMyGamesFolder(FSVersion);
  if (folder.isEmpty())
    return;
  const QString cache = JoinPath(folder, QStringLiteral("shader_cache"));
  if (!QFileInfo(cache).isDir())
    return;
  DeleteDirAndFiles(cache, QStringLiteral("*.*"), true, true);
}

} // namespace tilvane
