#pragma once

#include "core/common/IniFile.h"
#include "core/game/FSVersion.h"
#include "core/http/HttpRoutines.h"
#include "core/modfolders/ModFolder.h"
#include "datamodule/GameLookupCache.h"

#include <QPoint>
#include <QString>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

namespace tilvane {

namespace platform {
class IPlatform;
}
class IPromptService;
class IServerPageViewer;
class IUpdateProgress;
class TUpdateModsTask;
struct TSavegamesReport;
class IWaitService;

// Receives an error that escaped a start-up step (the crash report, in the
// program; tests record it).
using TErrorReporter = std::function<void(std::exception_ptr)>;

using TModFolderList = std::vector<std::unique_ptr<TModFolder>>;

// How long the program waits for the network, and for how much. Tests
// shorten them.
struct TNetworkLimits {
  THttpGetLimits Page;            // the server check and the page download
  int UpdateCheckTimeout = 10000; // ms: the connection, a stall, and the whole check
};

// What the player sees while the program waits.
QString CheckingServerText();    // "Checking the server…"
QString FetchingModPageText();   // "Fetching the server's mod page…"
QString DownloadingUpdateText(); // "Downloading the update…"

// The program's version in four parts, as GetBuildInfo gives it.
struct TProgramVersion {
  std::uint16_t Major = 0;
  std::uint16_t Minor = 0;
  std::uint16_t Release = 0;
  std::uint16_t Build = 0;
  static TProgramVersion OfThisBuild();
};

// The program's central object: it owns the settings files, the per-game files
// and the mod folder list of the generation last loaded. Every window and the
// update task reach settings, mod folders, game paths and the game's files
// through it. It reaches the operating system and the user only through the
// platform and prompt service given at creation.
class TdmMain {
public:
  // Runs DataModuleCreate. An error in one of its steps skips the remaining
  // steps and goes to `reporter`; the object is usable all the same.
  TdmMain(platform::IPlatform& APlatform, IPromptService& APrompts, TErrorReporter AReporter = {});
  // Runs DataModuleDestroy.
  ~TdmMain();

  TdmMain(const TdmMain&) = delete;
  TdmMain& operator=(const TdmMain&) = delete;

  platform::IPlatform& Platform() { return FPlatform; }
  IPromptService& Prompts() { return FPrompts; }
  // Where the server check, the page download and the installer download
  // wait: the program's shows a dialog with Cancel. Not owned; null (the
  // default) waits on the event loop without a window.
  void SetWaitService(IWaitService* AService);
  void SetNetworkLimits(const TNetworkLimits& ALimits) { FNetworkLimits = ALimits; }
  const TNetworkLimits& NetworkLimits() const { return FNetworkLimits; }
  // Hands an error that no handler could deal with to the program's report of
  // errors (the crash report); without a reporter it goes to the console.
  void ReportError(std::exception_ptr AError);
  // Runs AHandler and hands whatever it raises to ReportError: for the
  // windows' event handlers, which no exception may leave.
  void RunReported(const std::function<void()>& AHandler);

  // ---- Start-up and settings folder -------------------------------------
  // The documents folder joined with "My Games\Tilvane", no trailing separator.
  QString GetIniFilePath() const;
  // The same for a platform, before any data module exists.
  static QString SettingsFolder(platform::IPlatform& APlatform);
  // Null only when start-up stopped before the settings file was opened.
  TIniFile* Ini() { return FIni.get(); }
  const QString& IniFileName() const { return FIniFileName; }
  // Default folder of the dialog that saves a fetched server page.
  const QString& SaveModPageFolder() const { return FSaveModPageFolder; }

  // ---- Application settings ---------------------------------------------
  QString GetModManagerModFolders() const;
  void SetModManagerModFolders(const QString& AValue);
  QString GetTheme() const;
  void SetTheme(const QString& AValue);

  // ---- Remembered window state (section Form, key class + "-" + value) ---
  // -999999 means that nothing was saved.
  static constexpr int NotSaved = -999999;
  QString GetFormString(const QString& AClassName, const QString& AValueName,
                        const QString& ADefaultValue) const;
  void SetFormString(const QString& AClassName, const QString& AValueName, const QString& AValue);
  int GetFormInteger(const QString& AClassName, const QString& AValueName, int ADefaultValue) const;
  void SetFormInteger(const QString& AClassName, const QString& AValueName, int AValue);
  bool GetFormBoolean(const QString& AClassName, const QString& AValueName,
                      bool ADefaultValue) const;
  void SetFormBoolean(const QString& AClassName, const QString& AValueName, bool AValue);
  QPoint GetFormPos(const QString& AClassName) const;
  void SetFormPos(const QString& AClassName, const QPoint& APoint);
  QPoint GetFormSize(const QString& AClassName) const; // x = width, y = height
  void SetFormSize(const QString& AClassName, const QPoint& APoint);
  bool GetFormIsMaximized(const QString& AClassName) const;
  void SetFormIsMaximized(const QString& AClassName, bool AIsMaximized);

  // ---- Mod folders and per-game files (MainDMModFolders.cpp) -------------
  // The mod folders of the generation last loaded, in button order.
  TModFolderList& ModFolderList() { return FModFolderList; }
  TIniFile& GetIniFileForFS(TFSVersion AFSVersion);
  void LoadModFolders(TFSVersion AFSVersion);
  // The generation's stored list, read without touching the loaded one and
  // without creating the per-game file: empty when it does not exist.
  TModFolderList ReadModFolders(TFSVersion AFSVersion) const;
  // Whether the generation has its per-game file (the program was opened
  // on its tab, or a folder was added to it).
  bool HasModFolderFile(TFSVersion AFSVersion) const;
  void SaveModFolders(TFSVersion AFSVersion);
  void MoveToFirst(TFSVersion AFSVersion, TModFolder* AModFolder);
  void MoveUp(TFSVersion AFSVersion, TModFolder* AModFolder);
  void MoveDown(TFSVersion AFSVersion, TModFolder* AModFolder);
  void MoveToLast(TFSVersion AFSVersion, TModFolder* AModFolder);
  void DeleteModFolder(TFSVersion AFSVersion, TModFolder* AModFolder, bool ADeleteFolder);
  bool GetFSShowTab(TFSVersion AFSVersion);
  void SetFSShowTab(TFSVersion AFSVersion, bool AValue);

private:
  // Gives a new per-game file its one default mod folder.
  void DoFirstTimeStart(TFSVersion AFSVersion);
  // The index of `AModFolder` in the list; raises "Argument out of range" when
  // it is not there.
  int IndexOfModFolder(const TModFolder* AModFolder) const;
  void MoveModFolder(TFSVersion AFSVersion, TModFolder* AModFolder, int ANewIndex);

public:
  // ---- Game generations and locations (MainDMGame.cpp) -----------------
  // The game's documents folder (inside its prefix when it runs under
  // Proton); empty when the game never ran on this account.
  QString GetFSMyGamesFolder(TFSVersion AFSVersion) const;
  // The game's Proton prefix; empty when the game runs natively.
  QString GetFSProtonPrefix(TFSVersion AFSVersion) const;
  QString GetFSProgramLocation(TFSVersion AFSVersion);
  void SetFSProgramLocation(TFSVersion AFSVersion, const QString& AValue);
  // A window that asks the same of every button (is it the game's folder?)
  // keeps the answers about each game (its Proton game, the mod folder its
  // settings name, its executable) from one redraw to the next: it calls
  // ForgetGameLookups as it redraws and after the settings changed. Off by
  // default: without it every question looks again.
  void KeepGameLookups(bool AKeep) { FGameLookups.SetEnabled(AKeep); }
  void ForgetGameLookups() { FGameLookups.Forget(); }

private:
  platform::ProtonGame FSProtonGame(TFSVersion AFSVersion) const;
  // The stored executable while it exists, else the one found (and stored).
  QString FindFSProgramLocation(TFSVersion AFSVersion);
  QString GetSteamFolder();
  QString GetProgramFilesFolder();
  // The executable in the usual install folders, or empty.
  QString SearchFSProgram(TFSVersion AFSVersion);

public:
  // ---- The game's settings files (MainDMGame.cpp) ------------------------
  bool GetFSEnableDevConsole(TFSVersion AFSVersion);
  void SetFSEnableDevConsole(TFSVersion AFSVersion, bool AValue);
  QString GetFSInGameName(TFSVersion AFSVersion);
  void SetFSInGameName(TFSVersion AFSVersion, const QString& AValue);
  QString GetFSModFolder(TFSVersion AFSVersion);
  // Raises FSModFolderRefusal's message, writing nothing, for a folder the
  // game cannot see.
  void SetFSModFolder(TFSVersion AFSVersion, const QString& AFolder);
  // Why the game cannot be given AFolder as its mod folder (a game under
  // Proton sees only what its prefix's drives lead to); empty when it can.
  QString FSModFolderRefusal(TFSVersion AFSVersion, const QString& AFolder) const;
  void GetFSJoinGame(TFSVersion AFSVersion, QString& AGameNameFilter, QString& AGamePassword);
  void SetFSJoinGame(TFSVersion AFSVersion, const QString& AGameNameFilter,
                     const QString& AGamePassword);

  // ---- The game process (MainDMGame.cpp) ---------------------------------
  bool IsFSRunning(TFSVersion AFSVersion);
  void RunFS(TFSVersion AFSVersion);
  void DeleteLogFile(TFSVersion AFSVersion);
  void DeleteShaderCache(TFSVersion AFSVersion);

private:
  QString ReadFSModFolder(TFSVersion AFSVersion);
  bool IsProcessRunning(const QString& ASExeName);

public:
  // ---- Dedicated server (MainDMServer.cpp) -------------------------------
  static QString CreateServerURL(const QString& AServerURL, const QString& AWebUsername,
                                 const QString& AWebPassword);
  // The update task for AModFolder as every caller runs it: the folder's
  // lock and what is known of its archives in the program's own data folder,
  // the connection settings of the update window. AProgress and APrompts
  // are called on the task's thread and must outlive it.
  std::unique_ptr<TUpdateModsTask> CreateUpdateModsTask(const TModFolder& AModFolder,
                                                        TFSVersion AFSVersion,
                                                        IUpdateProgress& AProgress,
                                                        IPromptService& APrompts);
  // ---- Savegames (MainDMSavegames.cpp) -----------------------------------
  // The generation's saves and what each needs of AModFolder, read through
  // the wait service; false when the player cancelled the wait.
  bool ReadSavegamesFor(const TModFolder& AModFolder, TFSVersion AFSVersion,
                        TSavegamesReport& AReport);
  bool ValidateServerURL(TFSVersion AFSVersion, const QString& AServerURL,
                         const QString& AWebUsername, const QString& AWebPassword);
  // The page through the wait service; empty when the fetch failed (the
  // player was told why) or the player cancelled the wait (ACancelled, when
  // given, tells which).
  QString GetModPageHTML(TFSVersion AFSVersion, const QString& AServerURL,
                         const QString& AWebUsername, const QString& AWebPassword,
                         bool* ACancelled = nullptr);
  // Where ValidateServerURL shows a page that is neither the login page nor
  // the mod list page; the program sets the page diagnostics window's viewer.
  // Not owned: it must stay alive while it is set. Without one, the window's
  // notice is shown as a plain message instead.
  void SetServerPageViewer(IServerPageViewer* AViewer) { FServerPageViewer = AViewer; }

private:
  // Fetches the page through the wait service. False, after telling the
  // player why, when the fetch failed; false and nothing shown when the
  // player cancelled the wait.
  bool FetchModPage(const QString& AWhat, const QString& AURL, QString& APage,
                    bool* ACancelled = nullptr);

  IServerPageViewer* FServerPageViewer = nullptr;

public:
  // ---- Program update (MainDMUpdateCheck.cpp) ----------------------------
  // The update site's base address ("https://host"); empty (the default)
  // turns the check off.
  void SetUpdateSite(const QString& ASite) { FUpdateSite = ASite; }
  const QString& UpdateSite() const { return FUpdateSite; }
  // The version the check compares with; this build's unless a test sets another.
  void SetProgramVersion(const TProgramVersion& AVersion) { FProgramVersion = AVersion; }
  // True when the site names a newer release than this program's. An
  // unreachable site or an answer other than 200 is no update and shows
  // nothing; LatestVersion receives the file's text when the site answered
  // 200. Raises when a part of the file's three is not an integer.
  // Any thread: it reads only the site, the version and the limits. A cancel
  // (ACancelled turning true) ends it within about 100 ms with false.
  bool IsUpdateAvailable(QString& ALatestVersion, const std::atomic_bool* ACancelled = nullptr);
  // True when ALatestVersion ("major.minor.release") is newer than AOwnVersion;
  // the build number takes no part. Not three parts: false. Raises when a part
  // is not a plain decimal integer.
  static bool IsNewerRelease(const TProgramVersion& AOwnVersion, const QString& ALatestVersion);
  // Downloads the installer to the temporary folder, through the wait
  // service, and starts it. True when it started and the program should
  // close; a failure has been shown; a cancelled download shows nothing.
  bool DownloadAndStartInstaller();

private:
  QString FUpdateSite;
  TProgramVersion FProgramVersion = TProgramVersion::OfThisBuild();

  void DataModuleCreate();
  // Moves the FS22-only predecessor's folder and settings to this program's
  // layout (MainDMMigration.cpp). Ends the process when FS22 is running.
  void UpgradeToTilvane();
  void DataModuleDestroy();
  // The application settings file; raises when start-up could not open it.
  TIniFile& AppIni() const;

  platform::IPlatform& FPlatform;
  IPromptService& FPrompts;
  TErrorReporter FReporter;
  std::unique_ptr<IWaitService> FDefaultWait;
  IWaitService* FWait = nullptr;
  TNetworkLimits FNetworkLimits;

  QString FIniFileName;
  std::unique_ptr<TIniFile> FIni;
  mutable TGameLookupCache FGameLookups;
  TModFolderList FModFolderList;
  std::vector<std::unique_ptr<TIniFile>> FFSIniList;
  QString FSaveModPageFolder;
};

} // namespace tilvane
