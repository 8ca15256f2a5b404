#pragma once

#include "core/game/FSVersion.h"
#include "core/http/HttpClient.h"
#include "core/modfolders/ModFolder.h"
#include "core/savegames/Savegame.h"
#include "core/server/ParseServerModList.h"
#include "core/update/ModInfo.h"
#include "core/update/SyncRecord.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QFile;
class QFileInfo;
class QTemporaryDir;

namespace tilvane {

class IPromptService;
class IUpdateProgress;
class TArchiveFactsCache;
class TDownloadCheck;
class TModArchiveReader;
class THashingFileSink;
struct TStatsFeed;

// ABytes as the space messages show it: one decimal, in GB from 1 GB up,
// else in MB (binary units, as the server's page gives sizes).
QString FormatDiskSize(qint64 ABytes);

// Brings one mod folder in line with the mod list of its dedicated server:
// fetches the list, makes sure it is the mod list of a server of the folder's
// generation and that it was read completely, removes archives the server
// does not list (when the folder asks for it), and downloads the archives
// that are missing or outdated. An archive is outdated, as the game judges
// it, when its hash differs from the one the server's stats feed gives for
// it; without a feed (or for a mod the feed does not name), when its author or
// version differ from the page's. Widget-free; it runs on
// one worker thread and reports through IUpdateProgress and the prompt
// service it is given (both called on the worker: the caller makes them
// reach the user).
//
// The player's archives change only as a whole: a download goes to a
// temporary file beside the archive and replaces it only once it is complete
// and checked (a zip whose description names the listed author and version,
// with the feed's hash where there is one), and nothing is removed before the
// page has passed every check. Removed archives go to the desktop's trash;
// those it cannot take are deleted only when the player agrees. One task at a
// time syncs a folder, across every running copy of the program.
//
// A task never shows its own failure: it leaves the text in FinalMsg(), and
// FinishedUpdating() tells whether it went through all phases.
class TUpdateModsTask {
public:
  // Builds the URL that carries the web login (TdmMain::CreateServerURL).
  using TURLBuilder = std::function<QString(const QString& AServerURL, const QString& AWebUsername,
                                            const QString& AWebPassword)>;

  // The fixed waits, adjustable so that tests need not sit through them.
  struct TTimings {
    int RetryDelayMs = 250; // after a failed attempt
    int PausePollMs = 250;  // a paused transfer looks at its flags this often
  };

  // A download in progress is written to its archive's name with this ending,
  // which neither the game nor the sync takes for an archive.
  static QString PartialDownloadSuffix();

  // AModFolder is copied; FSVersion is the generation the folder belongs to.
  // The task keeps the descriptions it inspects in a folder of its own below
  // ATempFolder (the user's temporary folder).
  TUpdateModsTask(const TModFolder& AModFolder, TFSVersion AFSVersion, TURLBuilder ACreateServerURL,
                  IUpdateProgress& AProgress, IPromptService& APrompts, const QString& ATempFolder);
  // Requests cancellation and waits for a started task to end.
  ~TUpdateModsTask();

  TUpdateModsTask(const TUpdateModsTask&) = delete;
  TUpdateModsTask& operator=(const TUpdateModsTask&) = delete;

  // Re-download all: every listed archive is downloaded afresh, and the
  // archives the server does not list are removed whatever the folder's
  // setting.
  bool DeleteAllFilesFirst() const { return FDeleteAllFilesFirst; }
  void SetDeleteAllFilesFirst(bool AValue) { FDeleteAllFilesFirst = AValue; }
  void SetTimings(const TTimings& ATimings) { FTimings = ATimings; }
  // The one client for the page and every download; configure before Start.
  THttpClient& Client() { return FClient; }
  // Where the folder's lock and what the task learnt about its archives are
  // kept (a folder of the program's own); the temporary folder until set.
  void SetStateFolder(const QString& AFolder) { FStateFolder = AFolder; }
  // A check instead of a sync: the page (one attempt) and the stats feed are
  // read and judged as a sync judges them, and the task ends once it knows
  // which archives it would download and remove. Nothing in the mod folder is
  // written, removed or locked, and nobody is asked anything.
  void SetPreviewOnly(bool AValue) { FPreviewOnly = AValue; }
  bool PreviewOnly() const { return FPreviewOnly; }
  // The other mod folders of the folder's generation. An archive the sync
  // needs that one of them holds on the same drive, matching what the server
  // runs, is linked from there (one file under two names) instead of being
  // downloaded; where no link can be made it is downloaded as ever.
  void SetSharingFolders(const QStringList& AFolders) { FSharingFolders = AFolders; }
  // The player's saves of this generation: archives they use are removed
  // only when the player agrees. Either given as they are, or the game's My
  // Games folder, read on the task's thread when something is to be removed.
  void SetSavegames(std::vector<TSavegame> ASaves) { FSavegames = std::move(ASaves); }
  void SetSavegamesFolder(const QString& AFolder) { FSavegamesFolder = AFolder; }

  // Runs the task on the application's thread pool.
  void Start();
  // The task body on the calling thread. Errors it does not handle itself
  // propagate to the caller (Start keeps them, see Error()).
  void UpdateModsTask();

  // Safe from any thread. A transfer stops within a fraction of a second,
  // whether it is connecting, waiting for a silent server or paused.
  void Cancel();
  bool IsCancelled() const { return FCancelled.load(); }
  void SetPaused(bool APaused);
  bool Paused() const { return FPaused.load(); }

  // After Start: true once the body has returned, normally or by an error.
  bool Ended() const { return FEnded.load(); }
  // Waits at most AMilliseconds for the end; true when ended.
  bool WaitFor(int AMilliseconds);
  // The error the body did not handle; null when none.
  std::exception_ptr Error() const { return FError; }

  // Read these after the task has ended.
  const QString& FinalMsg() const { return FFinalMsg; }
  bool FinishedUpdating() const { return FFinishedUpdating; }
  // The last status, also after a sync that went through: how the folder was
  // judged ("All 12 mods match the server.").
  const QString& LastStatus() const { return FLastStatus; }
  // Archives the server does not list: moved to the trash, deleted with the
  // player's consent, kept because the player said no.
  int MovedToTrash() const { return FMovedToTrash; }
  int Deleted() const { return FDeleted; }
  int Kept() const { return FKept; }
  // Archives linked from another folder instead of downloaded.
  int Linked() const { return FLinked; }
  // What the task found, as it keeps it in the folder's sync record; none
  // when it ended before it could judge (another window's sync, a cancelled
  // check).
  const std::optional<TSyncRecord>& Record() const { return FRecord; }

private:
  // The phases, in the order the body runs them. Each returns false when the
  // task ends there (the reason, if any, is in FFinalMsg).
  // The phases up to the report; UpdateModsTask adds the sync record.
  void RunPhases();
  // The preview's end: what a sync would download and remove.
  void PreviewChanges(const TArrayOfServerMods& AModList);
  void WriteRecord(TSyncRecord::TKind AKind);
  void RemovePartialDownloads();
  bool FetchModPage(QString& AModPage);
  bool JudgeModPage(const QString& AModPage);
  bool ReadModList(const QString& AModPage, TArrayOfServerMods& AModList);
  bool ConfirmEmptyModList(const TArrayOfServerMods& AModList, const QStringList& AFiles);
  bool RemoveArchivesNotOnServer(const QStringList& AFiles, const TArrayOfServerMods& AModList);
  // Takes out of AUnlisted the archives the player's saves need and the
  // player keeps; false when the task ends.
  bool KeepArchivesSavesNeed(QStringList& AUnlisted, const QStringList& AFiles,
                             const TArrayOfServerMods& AModList);
  bool ReadStatsFeed(const TArrayOfServerMods& AModList);
  bool FindOutdatedArchives(const TArrayOfServerMods& AModList, TArrayOfServerMods& AToDownload);
  // AFacts: the cache of AArchive's folder; this folder's when null.
  bool IsCurrent(const TServerMod& AMod, const QFileInfo& AArchive,
                 TArchiveFactsCache* AFacts = nullptr);
  bool DownloadArchives(const TArrayOfServerMods& AToDownload);
  void ReportOutcome();
  // The hash the feed gives for the archive AFileName; empty when none.
  QString FeedHashFor(const QString& AFileName) const;

  // One archive, up to three attempts; false when the task ends.
  bool DownloadArchive(const TServerMod& AMod);
  // One attempt into ASink; empty when complete, else why not.
  QString DownloadAttempt(const QString& AURL, QFile& AFile, THashingFileSink& ASink);
  // Why the finished download must not replace AMod's archive; empty when it
  // may. AHashOnly tells that only the feed's hash disagreed.
  QString CheckDownload(QFile& APartial, THashingFileSink& ASink, const TServerMod& AMod,
                        const QString& ATarget, bool& AHashOnly);
  // Puts a checked download (closed by CheckDownload) in place of its archive.
  bool ReplaceArchive(QFile& APartial, const QString& ATarget, QString& AFailure);
  // Moves what the trash takes there; asks once about the rest.
  bool RemoveArchives(const QStringList& APaths);

  // Disk space and shared archives (UpdateModsTaskSpace.cpp).
  // False when the player keeps the many archives the server does not list.
  bool ConfirmMassRemoval(const QStringList& AUnlisted, qsizetype AArchives);
  // False, with the reason in FFinalMsg, when the drive cannot take the
  // downloads; nothing has been changed then.
  bool CheckFreeSpace(const TArrayOfServerMods& AToDownload);
  // Finds, for the archives to download, a matching copy in a sharing folder.
  void FindSharedCopies(const TArrayOfServerMods& AToDownload);
  QString SharedCopyOf(const TServerMod& AMod);
  // True when AMod's archive is now a link to its shared copy.
  bool LinkSharedCopy(const TServerMod& AMod);
  TArchiveFactsCache& FactsOf(const QString& AFolder);

  static qint64 TickCount();
  static const QString& CannotDeleteMessage();
  // The archive rows of a list, each file once.
  static TArrayOfServerMods ArchiveRows(const TArrayOfServerMods& AModList);
  // The archives among AFiles that the list does not name.
  static QStringList UnlistedArchives(const QStringList& AFiles,
                                      const TArrayOfServerMods& AModList);

  // The folder below the temporary folder that the task extracts into.
  QString WorkFolder();
  TArchiveFactsCache& Facts();
  void SaveFacts();
  void SetStatus(const QString& AStatus);

  void ReceiveDataEvent(qint64 AContentLength, qint64 AReadCount, bool& AAbort);
  // Sleeps AMilliseconds, or less when cancelled.
  void Wait(int AMilliseconds);
  // The archive in the folder, in any letter case; the exact name when absent.
  QString LocalPath(const QString& AFileName);

  TModFolder FModFolder;
  TFSVersion FFSVersion;
  TURLBuilder FCreateServerURL;
  IUpdateProgress& FProgress;
  IPromptService& FPrompts;
  QString FTempFolder;
  TTimings FTimings;
  THttpClient FClient;

  QString FStateFolder;
  std::unique_ptr<QTemporaryDir> FWorkFolder;
  std::unique_ptr<TModArchiveReader> FReader;
  std::unique_ptr<TDownloadCheck> FCheck;
  std::unique_ptr<TArchiveFactsCache> FFacts;
  std::unique_ptr<TStatsFeed> FFeed; // null: judged by author and version
  QString FFeedFallback;             // why a feed that was named went unused
  // The last attempt's facts of the download under way.
  QString FDownloadHash;
  TModInfo FDownloadInfo;
  // Archives kept although the feed gives another hash for them.
  QStringList FUnmatched;

  QStringList FSharingFolders;
  // By folded file name: the matching archive in a sharing folder.
  QHash<QString, QString> FSharedCopies;
  // The sharing folders' caches, saved with this folder's.
  std::map<QString, std::unique_ptr<TArchiveFactsCache>> FSharingFacts;
  int FLinked = 0;
  std::optional<std::vector<TSavegame>> FSavegames;
  QString FSavegamesFolder;

  bool FDeleteAllFilesFirst = false;
  bool FPreviewOnly = false;
  // How the task ended as far as the record goes; set where it is known.
  std::optional<TSyncRecord::TKind> FOutcome;
  bool FRecordOutcome = false; // false until the task may speak for the folder
  std::optional<TSyncRecord> FRecord;
  QString FFinalMsg;
  QString FLastStatus;
  bool FFinishedUpdating = false;
  qint64 FGlobalStart = 0;
  // The length the server announced for the body under way; -1 for none.
  qint64 FAnnouncedLength = -1;
  int FMovedToTrash = 0;
  int FDeleted = 0;
  int FKept = 0;
  // The folder's file names, read once and again only after the task has
  // added or removed a file: rows whose names differ in letter case from the
  // disk would otherwise read the whole folder each, which grows with the
  // square of the folder's size.
  QStringList FFolderNames;
  bool FFolderNamesValid = false;

  std::atomic<bool> FCancelled{false};
  std::atomic<bool> FPaused{false};
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FEnded{false};
  std::exception_ptr FError;
  std::mutex FMutex;
  std::condition_variable FWake;
};

} // namespace tilvane
