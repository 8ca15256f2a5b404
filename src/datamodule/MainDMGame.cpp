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
  const QString Path = JoinPath(JoinPath(ABase, ARelative), AExeName);
  return QFileInfo(Path).isFile() ? Path : QString();
}

platform::ProtonGame ProtonGameOf(platform::IPlatform& APlatform, TFSVersion AFSVersion) {
  return APlatform.FindProtonGame(FSSteamAppId(AFSVersion),
                                  ToPlatform(FSSteamGameRelative(AFSVersion)));
}

// A library folder as this system names it. A Steam that runs inside Wine
// lists its libraries on drive Z:, the Linux root; a path that stays
// relative here (another drive letter) would be looked up in the working
// folder, so it names no library.
QString LibraryOnThisSystem(const QString& ALibrary) {
  const QString Library =
      PathDelim() == QLatin1Char('/') ? TWineDrives::LinuxRootAsZ().ToLinux(ALibrary) : ALibrary;
  return QDir::isAbsolutePath(Library) ? Library : QString();
}
// The game's "My Games" folder: in its prefix when it runs under Proton.
QString MyGamesFolderOf(platform::IPlatform& APlatform, const platform::ProtonGame& AProton,
                        TFSVersion AFSVersion) {
  const QString Documents = FromPlatform(
      AProton.RunsUnderProton() ? AProton.DocumentsFolder : APlatform.GameDocumentsFolder());
  if (Documents.isEmpty())
    return {};
  const QString Folder = JoinPath(Documents, FSMyGamesRelative(AFSVersion));
  return QFileInfo(Folder).isDir() ? Folder : QString();
}

// AFolder as the game's settings name it: the Windows path a game under
// Proton (APrefix) sees. Empty with ARefusal set when the game cannot see it.
QString FSModFolderForGame(TFSVersion AFSVersion, const QString& APrefix, const QString& AFolder,
                           QString& ARefusal) {
  if (APrefix.isEmpty() || AFolder.isEmpty())
    return AFolder;
  const QString GameFolder = TWineDrives::Read(APrefix).ToWindows(AFolder);
  if (GameFolder.isEmpty())
    ARefusal = QStringLiteral("Can not use mod folder ") + AFolder +
               QStringLiteral(" with Farming Simulator ") + FSVersionToNumberStr(AFSVersion) +
               QStringLiteral(". The game runs under Proton and no drive of its prefix leads "
                              "to that folder.");
  return GameFolder;
}
} // namespace

// ---- Game generations and locations ---------------------------------------

platform::ProtonGame TdmMain::FSProtonGame(TFSVersion AFSVersion) const {
  return FGameLookups.ProtonGame(AFSVersion, [&] { return ProtonGameOf(FPlatform, AFSVersion); });
}

QString TdmMain::GetFSMyGamesFolder(TFSVersion AFSVersion) const {
  return MyGamesFolderOf(FPlatform, FSProtonGame(AFSVersion), AFSVersion);
}

QString TdmMain::GetFSProtonPrefix(TFSVersion AFSVersion) const {
  return FromPlatform(FSProtonGame(AFSVersion).Prefix);
}

QString TdmMain::GetSteamFolder() {
  return FromPlatform(FPlatform.SteamFolder());
}

QString TdmMain::GetProgramFilesFolder() {
  return FromPlatform(FPlatform.ProgramFilesFolder());
}

QString TdmMain::SearchFSProgram(TFSVersion AFSVersion) {
  const QString SteamGame = FSSteamGameRelative(AFSVersion);
  const QString ExeName = FSExeName(AFSVersion);

  const QString Steam = GetSteamFolder();
  if (!Steam.isEmpty()) {
    QString Found = ExistingFile(Steam, SteamGame, ExeName);
    if (!Found.isEmpty())
      return Found;
    // Current Steam keeps the list in steamapps, older Steam in config.
    for (const char* ListFile : {"steamapps\\libraryfolders.vdf", "config\\libraryfolders.vdf"}) {
      const QString LibraryFile = JoinPath(Steam, NativeRelative(QLatin1String(ListFile)));
      for (const QString& Library : TSteamLibraryFolders::ReadFile(LibraryFile)) {
        Found = ExistingFile(LibraryOnThisSystem(Library), SteamGame, ExeName);
        if (!Found.isEmpty())
          return Found;
      }
    }
  }
  // A game under Proton lies in the library that holds its prefix
  // (<library>/steamapps/compatdata/<appid>/pfx), which may belong to another
  // Steam install than the one named first (a Flatpak Steam beside a native one).
  const QString Prefix = GetFSProtonPrefix(AFSVersion);
  if (!Prefix.isEmpty()) {
    const QString Library = QDir::cleanPath(Prefix + QStringLiteral("/../../../.."));
    const QString Found = ExistingFile(Library, SteamGame, ExeName);
    if (!Found.isEmpty())
      return Found;
  }
  return ExistingFile(GetProgramFilesFolder(), FSStandAloneGameRelative(AFSVersion), ExeName);
}

QString TdmMain::GetFSProgramLocation(TFSVersion AFSVersion) {
  return FGameLookups.ProgramLocation(AFSVersion,
                                      [&] { return FindFSProgramLocation(AFSVersion); });
}

QString TdmMain::FindFSProgramLocation(TFSVersion AFSVersion) {
  const QString Stored = GetIniFileForFS(AFSVersion).ReadString(Common, FSProgramLocation, {});
  if (!Stored.isEmpty() && QFileInfo(Stored).isFile())
    return Stored;

  const QString Found = SearchFSProgram(AFSVersion);
  if (!Found.isEmpty()) {
    // Later calls stop at the stored path.
    SetFSProgramLocation(AFSVersion, Found);
    return Found;
  }
  if (!Stored.isEmpty())
    SetFSProgramLocation(AFSVersion, {});
  return {};
}

void TdmMain::SetFSProgramLocation(TFSVersion AFSVersion, const QString& AValue) {
  FGameLookups.ForgetProgramLocation(AFSVersion);
  GetIniFileForFS(AFSVersion).WriteString(Common, FSProgramLocation, AValue);
}

// ---- The game's settings files --------------------------------------------

bool TdmMain::GetFSEnableDevConsole(TFSVersion AFSVersion) {
  return TGameSettingsFiles(GetFSMyGamesFolder(AFSVersion), AFSVersion).GetEnableDevConsole();
}

void TdmMain::SetFSEnableDevConsole(TFSVersion AFSVersion, bool AValue) {
  TGameSettingsFiles(GetFSMyGamesFolder(AFSVersion), AFSVersion).SetEnableDevConsole(AValue);
}

QString TdmMain::GetFSInGameName(TFSVersion AFSVersion) {
  return TGameSettingsFiles(GetFSMyGamesFolder(AFSVersion), AFSVersion).GetInGameName();
}

void TdmMain::SetFSInGameName(TFSVersion AFSVersion, const QString& AValue) {
  TGameSettingsFiles(GetFSMyGamesFolder(AFSVersion), AFSVersion).SetInGameName(AValue);
}

// A game under Proton names its mod folder as a Windows path; the program
// keeps and compares Linux paths, so the path crosses here in both directions.
QString TdmMain::GetFSModFolder(TFSVersion AFSVersion) {
  return FGameLookups.ModFolder(AFSVersion, [&] { return ReadFSModFolder(AFSVersion); });
}

QString TdmMain::ReadFSModFolder(TFSVersion AFSVersion) {
  const platform::ProtonGame Proton = FSProtonGame(AFSVersion);
  const QString Folder =
      TGameSettingsFiles(MyGamesFolderOf(FPlatform, Proton, AFSVersion), AFSVersion).GetModFolder();
  if (!Proton.RunsUnderProton() || Folder.isEmpty())
    return Folder;
  return TWineDrives::Read(FromPlatform(Proton.Prefix)).ToLinux(Folder);
}

void TdmMain::SetFSModFolder(TFSVersion AFSVersion, const QString& AFolder) {
  // Forgotten even when the write fails half-way: the next question reads.
  FGameLookups.ForgetModFolder(AFSVersion);
  const platform::ProtonGame Proton = FSProtonGame(AFSVersion);
  QString Refusal;
  const QString GameFolder =
      FSModFolderForGame(AFSVersion, FromPlatform(Proton.Prefix), AFolder, Refusal);
  if (!Refusal.isEmpty())
    throw EAppError(Refusal);
  TGameSettingsFiles(MyGamesFolderOf(FPlatform, Proton, AFSVersion), AFSVersion)
      .SetModFolder(GameFolder);
}

QString TdmMain::FSModFolderRefusal(TFSVersion AFSVersion, const QString& AFolder) const {
  QString Refusal;
  FSModFolderForGame(AFSVersion, GetFSProtonPrefix(AFSVersion), AFolder, Refusal);
  return Refusal;
}

void TdmMain::GetFSJoinGame(TFSVersion AFSVersion, QString& AGameNameFilter,
                            QString& AGamePassword) {
  TGameSettingsFiles(GetFSMyGamesFolder(AFSVersion), AFSVersion)
      .GetJoinGame(AGameNameFilter, AGamePassword);
}

void TdmMain::SetFSJoinGame(TFSVersion AFSVersion, const QString& AGameNameFilter,
                            const QString& AGamePassword) {
  TGameSettingsFiles(GetFSMyGamesFolder(AFSVersion), AFSVersion)
      .SetJoinGame(AGameNameFilter, AGamePassword);
}

// ---- The game process -----------------------------------------------------

bool TdmMain::IsProcessRunning(const QString& ASExeName) {
  std::vector<std::string> Names;
  try {
    Names = FPlatform.RunningProcessNames();
  } catch (const platform::PlatformError& E) {
    throw EAppError(FromPlatform(E.what()));
  }
  return TProcessNameMatcher(ASExeName).AnyMatches(Names);
}

bool TdmMain::IsFSRunning(TFSVersion AFSVersion) {
  return IsProcessRunning(FSProcessName(AFSVersion));
}

void TdmMain::RunFS(TFSVersion AFSVersion) {
  const QString Location = GetFSProgramLocation(AFSVersion);
  if (Location.isEmpty())
    return;
  // The game runs on its own; whether the shell took the request is not
  // something the user could act on. A game under Proton starts only
  // through Steam, which sets up its prefix.
  if (!GetFSProtonPrefix(AFSVersion).isEmpty())
    FPlatform.ShellOpen("steam://rungameid/" + std::to_string(FSSteamAppId(AFSVersion)));
  else
    FPlatform.ShellOpen(ToPlatform(Location));
}

void TdmMain::DeleteLogFile(TFSVersion AFSVersion) {
  // Without the game's folder there is no log; a bare "log.txt" would name a
  // file in the working folder.
  const QString Folder = GetFSMyGamesFolder(AFSVersion);
  if (Folder.isEmpty())
    throw EAppError(SystemText(std::errc::no_such_file_or_directory));

  const std::filesystem::path Path(JoinPath(Folder, QStringLiteral("log.txt")).toStdU16String());
  std::error_code Error;
  if (std::filesystem::is_directory(Path, Error))
    throw EAppError(SystemText(std::errc::is_a_directory));
  const bool Removed = std::filesystem::remove(Path, Error);
  if (Error)
    throw EAppError(QString::fromStdString(Error.message()));
  if (!Removed)
    throw EAppError(SystemText(std::errc::no_such_file_or_directory));
}

void TdmMain::DeleteShaderCache(TFSVersion AFSVersion) {
  const QString Folder = GetFSMyGamesFolder(AFSVersion);
  if (Folder.isEmpty())
    return;
  const QString Cache = JoinPath(Folder, QStringLiteral("shader_cache"));
  if (!QFileInfo(Cache).isDir())
    return;
  DeleteDirAndFiles(Cache, QStringLiteral("*.*"), true, true);
}

} // namespace tilvane
