#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/CommonUtilities.h"
#include "core/common/Paths.h"
#include "core/game/GameSettingsFiles.h"
#include "core/game/ProcessNameMatcher.h"
#include "core/game/SteamLibraryFolders.h"
#include "core/game/WineDrives.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <string>
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

platform::ProtonGame ProtonGameOf(platform::IPlatform& APlatform, TFSVersion FSVersion) {
  return APlatform.FindProtonGame(FSSteamAppId(FSVersion),
                                  ToPlatform(FSSteamGameRelative(FSVersion)));
}

// A library folder as this system names it. A Steam that runs inside Wine
// lists its libraries on drive Z:, the Linux root; a path that stays
// relative here (another drive letter) would be looked up in the working
// folder, so it names no library.
QString LibraryOnThisSystem(const QString& ALibrary) {
  const QString library =
      PathDelim() == QLatin1Char('/') ? TWineDrives::LinuxRootAsZ().ToLinux(ALibrary) : ALibrary;
  return QDir::isAbsolutePath(library) ? library : QString();
}
// The game's "My Games" folder: in its prefix when it runs under Proton.
QString MyGamesFolderOf(platform::IPlatform& APlatform, const platform::ProtonGame& AProton,
                        TFSVersion FSVersion) {
  const QString documents = FromPlatform(
      AProton.RunsUnderProton() ? AProton.DocumentsFolder : APlatform.GameDocumentsFolder());
  if (documents.isEmpty())
    return {};
  const QString folder = JoinPath(documents, FSMyGamesRelative(FSVersion));
  return QFileInfo(folder).isDir() ? folder : QString();
}

// AFolder as the game's settings name it: the Windows path a game under
// Proton (APrefix) sees. Empty with ARefusal set when the game cannot see it.
QString FSModFolderForGame(TFSVersion FSVersion, const QString& APrefix, const QString& AFolder,
                           QString& ARefusal) {
  if (APrefix.isEmpty() || AFolder.isEmpty())
    return AFolder;
  const QString gameFolder = TWineDrives::Read(APrefix).ToWindows(AFolder);
  if (gameFolder.isEmpty())
    ARefusal = QStringLiteral("Can not use mod folder ") + AFolder +
               QStringLiteral(" with Farming Simulator ") + FSVersionToNumberStr(FSVersion) +
               QStringLiteral(". The game runs under Proton and no drive of its prefix leads "
                              "to that folder.");
  return gameFolder;
}
} // namespace

// ---- Game generations and locations ---------------------------------------

platform::ProtonGame TdmMain::FSProtonGame(TFSVersion FSVersion) const {
  return FGameLookups.ProtonGame(FSVersion, [&] { return ProtonGameOf(FPlatform, FSVersion); });
}

QString TdmMain::GetFSMyGamesFolder(TFSVersion FSVersion) const {
  return MyGamesFolderOf(FPlatform, FSProtonGame(FSVersion), FSVersion);
}

QString TdmMain::GetFSProtonPrefix(TFSVersion FSVersion) const {
  return FromPlatform(FSProtonGame(FSVersion).Prefix);
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
    // Current Steam keeps the list in steamapps, older Steam in config.
    for (const char* listFile : {"steamapps\\libraryfolders.vdf", "config\\libraryfolders.vdf"}) {
      const QString libraryFile = JoinPath(steam, NativeRelative(QLatin1String(listFile)));
      for (const QString& library : TSteamLibraryFolders::ReadFile(libraryFile)) {
        found = ExistingFile(LibraryOnThisSystem(library), steamGame, exeName);
        if (!found.isEmpty())
          return found;
      }
    }
  }
  // A game under Proton lies in the library that holds its prefix
  // (<library>/steamapps/compatdata/<appid>/pfx), which may belong to another
  // Steam install than the one named first (a Flatpak Steam beside a native one).
  const QString prefix = GetFSProtonPrefix(FSVersion);
  if (!prefix.isEmpty()) {
    const QString library = QDir::cleanPath(prefix + QStringLiteral("/../../../.."));
    const QString found = ExistingFile(library, steamGame, exeName);
    if (!found.isEmpty())
      return found;
  }
  return ExistingFile(GetProgramFilesFolder(), FSStandAloneGameRelative(FSVersion), exeName);
}

QString TdmMain::GetFSProgramLocation(TFSVersion FSVersion) {
  return FGameLookups.ProgramLocation(FSVersion, [&] { return FindFSProgramLocation(FSVersion); });
}

QString TdmMain::FindFSProgramLocation(TFSVersion FSVersion) {
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
  FGameLookups.ForgetProgramLocation(FSVersion);
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

// A game under Proton names its mod folder as a Windows path; the program
// keeps and compares Linux paths, so the path crosses here in both directions.
QString TdmMain::GetFSModFolder(TFSVersion FSVersion) {
  return FGameLookups.ModFolder(FSVersion, [&] { return ReadFSModFolder(FSVersion); });
}

QString TdmMain::ReadFSModFolder(TFSVersion FSVersion) {
  const platform::ProtonGame proton = FSProtonGame(FSVersion);
  const QString folder =
      TGameSettingsFiles(MyGamesFolderOf(FPlatform, proton, FSVersion), FSVersion).GetModFolder();
  if (!proton.RunsUnderProton() || folder.isEmpty())
    return folder;
  return TWineDrives::Read(FromPlatform(proton.Prefix)).ToLinux(folder);
}

void TdmMain::SetFSModFolder(TFSVersion FSVersion, const QString& AFolder) {
  // Forgotten even when the write fails half-way: the next question reads.
  FGameLookups.ForgetModFolder(FSVersion);
  const platform::ProtonGame proton = FSProtonGame(FSVersion);
  QString refusal;
  const QString gameFolder =
      FSModFolderForGame(FSVersion, FromPlatform(proton.Prefix), AFolder, refusal);
  if (!refusal.isEmpty())
    throw EAppError(refusal);
  TGameSettingsFiles(MyGamesFolderOf(FPlatform, proton, FSVersion), FSVersion)
      .SetModFolder(gameFolder);
}

QString TdmMain::FSModFolderRefusal(TFSVersion FSVersion, const QString& AFolder) const {
  QString refusal;
  FSModFolderForGame(FSVersion, GetFSProtonPrefix(FSVersion), AFolder, refusal);
  return refusal;
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
  // something the user could act on. A game under Proton starts only
  // through Steam, which sets up its prefix.
  if (!GetFSProtonPrefix(FSVersion).isEmpty())
    FPlatform.ShellOpen("steam://rungameid/" + std::to_string(FSSteamAppId(FSVersion)));
  else
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
