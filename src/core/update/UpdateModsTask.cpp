#include "core/update/UpdateModsTask.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/common/Trash.h"
#include "core/common/TrashCheck.h"
#include "core/modfolders/ServerFolderRule.h"
#include "core/server/ModListCheck.h"
#include "core/server/ModPageReading.h"
#include "core/server/ServerURL.h"
#include "core/server/StatsFeed.h"
#include "core/update/ArchiveFactsCache.h"
#include "core/update/DownloadCheck.h"
#include "core/update/FolderContents.h"
#include "core/update/ModArchiveReader.h"
#include "core/update/ModFolderLock.h"
#include "core/update/UpdateProgress.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QThreadPool>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace tilvane {

qint64 TUpdateModsTask::TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const QString& TUpdateModsTask::CannotDeleteMessage() {
  static const QString Text =
      QStringLiteral("Unable to update mods. Is Farming Simulator still running?");
  return Text;
}

namespace {

QString UnableToRetrieveMessage(const QString& AReason) {
  return QLatin1String("Unable to retrieve mod list from Farming Simulator dedicated server.\r\n"
                       "Error: ") +
         AReason;
}

} // namespace

// The archive rows of a list, each file once: DLC rows have nothing to
// download, and a file listed twice is fetched once.
TArrayOfServerMods TUpdateModsTask::ArchiveRows(const TArrayOfServerMods& AModList) {
  TArrayOfServerMods Result;
  QSet<QString> Seen;
  for (const TServerMod& Mod : AModList) {
    if (IsDlcFileName(Mod.FileName) || Seen.contains(FoldedAscii(Mod.FileName)))
      continue;
    Seen.insert(FoldedAscii(Mod.FileName));
    Result.append(Mod);
  }
  return Result;
}

QString TUpdateModsTask::PartialDownloadSuffix() {
  return QStringLiteral(".tilvane-download");
}

TUpdateModsTask::TUpdateModsTask(const TModFolder& AModFolder, TFSVersion AFSVersion,
                                 TURLBuilder ACreateServerURL, IUpdateProgress& AProgress,
                                 IPromptService& APrompts, const QString& ATempFolder)
    : FModFolder(AModFolder), FFSVersion(AFSVersion), FCreateServerURL(std::move(ACreateServerURL)),
      FProgress(AProgress), FPrompts(APrompts), FTempFolder(ATempFolder),
      FStateFolder(ATempFolder) {
  FClient.SetOnReceiveData([this](qint64 AContentLength, qint64 AReadCount, bool& AAbort) {
    ReceiveDataEvent(AContentLength, AReadCount, AAbort);
  });
  // The time-outs are minutes long; a cancel must not wait for them.
  FClient.SetAbortCheck([this] { return IsCancelled(); });
  // The page's and every archive's URL carry the web login, the feed's its
  // code: no redirect may take them to another host.
  FClient.SetRedirects(THttpRedirects::SameOrigin);
}

TUpdateModsTask::~TUpdateModsTask() {
  if (FStarted.load()) {
    Cancel();
    std::unique_lock Lock(FMutex);
    FWake.wait(Lock, [this] { return FEnded.load(); });
  }
}

void TUpdateModsTask::SetStatus(const QString& AStatus) {
  FLastStatus = AStatus;
  FProgress.UpdateStatus(AStatus);
}

void TUpdateModsTask::Start() {
  if (FStarted.exchange(true))
    return;
  QThreadPool::globalInstance()->start([this] {
    try {
      UpdateModsTask();
    } catch (...) {
      FError = std::current_exception();
    }
    std::lock_guard Lock(FMutex);
    FEnded = true;
    FWake.notify_all();
  });
}

bool TUpdateModsTask::WaitFor(int AMilliseconds) {
  std::unique_lock Lock(FMutex);
  return FWake.wait_for(Lock, std::chrono::milliseconds(AMilliseconds),
                        [this] { return FEnded.load(); });
}

void TUpdateModsTask::Cancel() {
  std::lock_guard Lock(FMutex);
  FCancelled = true;
  FWake.notify_all();
}

void TUpdateModsTask::SetPaused(bool APaused) {
  std::lock_guard Lock(FMutex);
  FPaused = APaused;
  FWake.notify_all();
}

void TUpdateModsTask::Wait(int AMilliseconds) {
  std::unique_lock Lock(FMutex);
  FWake.wait_for(Lock, std::chrono::milliseconds(AMilliseconds),
                 [this] { return FCancelled.load(); });
}

void TUpdateModsTask::ReceiveDataEvent(qint64 AContentLength, qint64 AReadCount, bool& AAbort) {
  FAnnouncedLength = AContentLength;
  AAbort = FCancelled.load();
  {
    std::unique_lock Lock(FMutex);
    while (!FCancelled.load() && FPaused.load())
      FWake.wait_for(Lock, std::chrono::milliseconds(FTimings.PausePollMs));
  }
  const qint64 Elapsed = TickCount() - FGlobalStart;
  const qint64 Speed = Elapsed == 0 ? 0 : AReadCount * 1000 / Elapsed;
  if (AContentLength == 0) {
    FProgress.UpdateFileStatus(0, -1);
    return;
  }
  const double Percent =
      std::trunc(static_cast<double>(AReadCount) / static_cast<double>(AContentLength) * 100.0);
  FProgress.UpdateFileStatus(static_cast<int>(std::clamp(Percent, 0.0, 100.0)),
                             static_cast<double>(Speed));
}

QString TUpdateModsTask::LocalPath(const QString& AFileName) {
  const QString Exact = JoinPath(FModFolder.Folder, AFileName);
  if (QFileInfo(Exact).isFile())
    return Exact;
  // The game's file system ignores letter case: an archive that differs only
  // in case is the same archive.
  if (!FFolderNamesValid) {
    FFolderNames = QDir(FModFolder.Folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    FFolderNamesValid = true;
  }
  for (const QString& Name : FFolderNames) {
    if (SameTextAscii(Name, AFileName))
      return JoinPath(FModFolder.Folder, Name);
  }
  return Exact;
}

void TUpdateModsTask::UpdateModsTask() {
  try {
    RunPhases();
  } catch (...) {
    WriteRecord(TSyncRecord::TKind::Failed);
    throw;
  }
  using TKind = TSyncRecord::TKind;
  if (IsCancelled())
    // A check that was stopped knows nothing; a sync that was stopped has
    // left the folder half done.
    WriteRecord(FPreviewOnly ? FOutcome.value_or(TKind::Cancelled) : TKind::Cancelled);
  else if (FFinishedUpdating)
    WriteRecord(TKind::InLine);
  else
    WriteRecord(FOutcome.value_or(TKind::Failed));
}

void TUpdateModsTask::WriteRecord(TSyncRecord::TKind AKind) {
  if (!FRecordOutcome || (FPreviewOnly && AKind == TSyncRecord::TKind::Cancelled))
    return;
  TSyncRecord Record;
  Record.Kind = AKind;
  if (AKind == TSyncRecord::TKind::Pending) {
    Record.ToDownload = FRecord ? FRecord->ToDownload : 0;
    Record.ToRemove = FRecord ? FRecord->ToRemove : 0;
  }
  Record.When = QDateTime::currentDateTimeUtc();
  FRecord = Record;
  try {
    TSyncRecord::Save(FStateFolder, FModFolder.Folder, Record);
  } catch (const std::exception&) {
    // The record only informs the folder's button; a sync or check that
    // could not keep it did its work all the same.
  }
}

void TUpdateModsTask::RunPhases() {
  FProgress.StartTimes(false);
  // The windows refuse such a folder first; the task is the last line before
  // archives would be removed from the working folder.
  if (FollowsServerWithoutFolder(FModFolder)) {
    FFinalMsg = ServerWithoutFolderMessage();
    return;
  }
  // Held to the end: a second sync of the folder would write the same
  // partial files and could put the other's unfinished download in place.
  // A check writes nothing in the folder, so it needs no lock, and a sync the
  // player starts meanwhile must not find the folder taken.
  TModFolderLock Lock(FStateFolder, FModFolder.Folder);
  if (!FPreviewOnly) {
    if (!Lock.TryLock()) {
      FFinalMsg = QLatin1String("Mod folder ") + FModFolder.Folder +
                  QLatin1String(" is being updated by another Tilvane window.");
      return;
    }
    RemovePartialDownloads();
  }
  FRecordOutcome = true;

  QString ModPage;
  TArrayOfServerMods ModList;
  if (!FetchModPage(ModPage) || !JudgeModPage(ModPage) || !ReadModList(ModPage, ModList))
    return;
  if (FPreviewOnly) {
    PreviewChanges(ModList);
    return;
  }

  // Local archives
  if (!QDir().mkpath(FModFolder.Folder))
    throw EAppError(QLatin1String("Unable to create folder ") + FModFolder.Folder);
  const QStringList Files = ZipFilesIn(FModFolder.Folder);
  if (!ConfirmEmptyModList(ModList, Files) || !ReadStatsFeed(ModList))
    return;

  // What was learnt about the archives is kept however the task ends.
  struct TFactsSaver {
    TUpdateModsTask& FTask;
    ~TFactsSaver() { FTask.SaveFacts(); }
  } Saver{*this};

  if (FDeleteAllFilesFirst) {
    // Every archive afresh, each one replaced only when its download is
    // complete; what the server does not list goes last. Nothing is linked:
    // the player asked for fresh copies.
    const TArrayOfServerMods All = ArchiveRows(ModList);
    if (!CheckFreeSpace(All) || !DownloadArchives(All) ||
        !RemoveArchivesNotOnServer(Files, ModList))
      return;
  } else {
    // What is to be downloaded is known before anything is removed: a drive
    // that cannot take it stops the sync with the folder as it was.
    TArrayOfServerMods ToDownload;
    if (!FindOutdatedArchives(ModList, ToDownload))
      return;
    FindSharedCopies(ToDownload);
    if (!CheckFreeSpace(ToDownload))
      return;
    if (FModFolder.RemoveModsNotOnServer && !RemoveArchivesNotOnServer(Files, ModList))
      return;
    if (!DownloadArchives(ToDownload))
      return;
  }

  // A transfer cut short by a cancel returns like a finished one.
  if (IsCancelled())
    return;
  ReportOutcome();
}

void TUpdateModsTask::RemovePartialDownloads() {
  // A run that was killed leaves its partial download behind.
  QDir Dir(FModFolder.Folder);
  if (!Dir.exists())
    return;
  const QStringList Partial =
      Dir.entryList({QLatin1Char('*') + PartialDownloadSuffix()}, QDir::Files | QDir::Hidden);
  for (const QString& Name : Partial)
    QFile::remove(Dir.filePath(Name));
}

bool TUpdateModsTask::FetchModPage(QString& AModPage) {
  if (IsCancelled())
    return false;
  SetStatus(QStringLiteral("Getting dedicated server mod list..."));
  const QString URL = FCreateServerURL(FModFolder.DedicatedServerURL, FModFolder.WebUsername,
                                       FModFolder.WebPassword);
  for (int Attempt = 1;; ++Attempt) {
    try {
      AModPage = FClient.GetText(URL);
      break;
    } catch (const std::exception& Error) {
      Wait(FTimings.RetryDelayMs);
      if (IsCancelled())
        return false;
      // A check in the background tries once: the next look at the tab
      // asks again, and a server that does not answer must not hold it.
      if (Attempt == 3 || FPreviewOnly) {
        FOutcome = TSyncRecord::TKind::NoAnswer;
        FFinalMsg = UnableToRetrieveMessage(ExceptionText(Error));
        return false;
      }
    }
  }
  // A cancelled fetch leaves a partial page: it must neither be judged nor
  // make anybody complain after the user has given up.
  return !IsCancelled();
}

bool TUpdateModsTask::JudgeModPage(const QString& AModPage) {
  // The same tests as the check of a server URL: anything but the mod list
  // of a server of this folder's generation is no list to act on.
  const TServerPageCheck Check = CheckServerPage(AModPage, FFSVersion);
  if (Check.Verdict == TServerPageVerdict::LoginPage ||
      Check.Verdict == TServerPageVerdict::LoginPending ||
      AModPage.contains(QLatin1String(" | Login"))) {
    FFinalMsg = UnableToRetrieveMessage(QStringLiteral("Unable to log into server."));
    return false;
  }
  switch (Check.Verdict) {
  case TServerPageVerdict::ModPage:
    return true;
  case TServerPageVerdict::NoVersion:
    // In the parser's own words, as when it finds no version marker.
    FPrompts.ShowMessage(ServerVersionNotDetectedMessage());
    return false;
  case TServerPageVerdict::UnknownPage:
    FFinalMsg = UnableToRetrieveMessage(UnknownModPageNotice());
    return false;
  default:
    FFinalMsg = UnableToRetrieveMessage(Check.Message);
    return false;
  }
}

bool TUpdateModsTask::ReadModList(const QString& AModPage, TArrayOfServerMods& AModList) {
  const TModPageReading Reading = ReadModPage(AModPage);
  if (!Reading.Successful) {
    FPrompts.ShowMessage(ServerVersionNotDetectedMessage());
    return false;
  }
  // Everything below removes and replaces by this list: a list that does not
  // say what the page says must not be acted on.
  if (!Reading.Check.Passed) {
    FFinalMsg = ModListIncompleteMessage(Reading.Check);
    return false;
  }
  AModList = Reading.Mods;
  return true;
}

bool TUpdateModsTask::ConfirmEmptyModList(const TArrayOfServerMods& AModList,
                                          const QStringList& AFiles) {
  const bool RemovesUnlisted = FModFolder.RemoveModsNotOnServer || FDeleteAllFilesFirst;
  if (!RemovesUnlisted || AFiles.isEmpty() || !ArchiveRows(AModList).isEmpty())
    return true;
  // A server without mods is rare, a page that lost its rows is not: the
  // player decides before every archive goes.
  return FPrompts.AskYesNo(
      QStringLiteral("The server lists no mods. Remove all %1 mod archives from this folder?")
          .arg(AFiles.size()),
      false);
}

bool TUpdateModsTask::RemoveArchivesNotOnServer(const QStringList& AFiles,
                                                const TArrayOfServerMods& AModList) {
  if (IsCancelled())
    return false;
  SetStatus(QStringLiteral("Removing mod files not on the server..."));
  QStringList Unlisted = UnlistedArchives(AFiles, AModList);
  // The saves' question first: what the player keeps for them is no part of
  // a mass removal.
  if (!KeepArchivesSavesNeed(Unlisted, AFiles, AModList))
    return false;
  if (!ConfirmMassRemoval(Unlisted, AFiles.size()))
    return true;
  return RemoveArchives(Unlisted);
}

QStringList TUpdateModsTask::UnlistedArchives(const QStringList& AFiles,
                                              const TArrayOfServerMods& AModList) {
  QSet<QString> Listed;
  for (const TServerMod& Mod : AModList)
    Listed.insert(FoldedAscii(Mod.FileName));
  QStringList Unlisted;
  for (const QString& Path : AFiles) {
    if (!Listed.contains(FoldedAscii(QFileInfo(Path).fileName())))
      Unlisted.append(Path);
  }
  return Unlisted;
}

void TUpdateModsTask::PreviewChanges(const TArrayOfServerMods& AModList) {
  // A folder not made yet holds nothing; the check does not make it.
  const QStringList Files =
      QFileInfo(FModFolder.Folder).isDir() ? ZipFilesIn(FModFolder.Folder) : QStringList();
  if (!ReadStatsFeed(AModList))
    return;
  struct TFactsSaver {
    TUpdateModsTask& FTask;
    ~TFactsSaver() { FTask.SaveFacts(); }
  } Saver{*this};
  TSyncRecord Found;
  if (FModFolder.RemoveModsNotOnServer)
    Found.ToRemove = static_cast<int>(UnlistedArchives(Files, AModList).size());
  TArrayOfServerMods ToDownload;
  if (!FindOutdatedArchives(AModList, ToDownload) || IsCancelled())
    return;
  Found.ToDownload = static_cast<int>(ToDownload.size());
  FRecord = Found;
  FOutcome = Found.ToDownload + Found.ToRemove > 0 ? TSyncRecord::TKind::Pending
                                                   : TSyncRecord::TKind::InLine;
}

bool TUpdateModsTask::RemoveArchives(const QStringList& APaths) {
  QStringList NoTrash;
  for (const QString& Path : APaths) {
    if (IsCancelled())
      return false;
    FFolderNamesValid = false;
    // Asked first: Qt would try for ever to name the entry in a trash whose
    // "info" folder it cannot write to.
    if (TrashCanTake(Path) && MoveToTrash(Path)) {
      ++FMovedToTrash;
      Facts().Forget(QFileInfo(Path).fileName());
      FProgress.UpdateRemoved(FMovedToTrash, FDeleted, FKept);
    } else if (QFileInfo::exists(Path)) {
      NoTrash.append(Path);
    }
  }
  if (NoTrash.isEmpty())
    return true;
  // Nothing is deleted for good without the player's word.
  const bool Delete = FPrompts.AskYesNo(
      QStringLiteral("%1 mod archives cannot be moved to the trash. Delete them permanently?")
          .arg(NoTrash.size()),
      false);
  for (const QString& Path : NoTrash) {
    if (IsCancelled())
      return false;
    if (!Delete) {
      ++FKept;
    } else if (QFile::remove(Path)) {
      ++FDeleted;
      Facts().Forget(QFileInfo(Path).fileName());
    } else {
      FFinalMsg = CannotDeleteMessage();
      return false;
    }
    FProgress.UpdateRemoved(FMovedToTrash, FDeleted, FKept);
  }
  return true;
}

} // namespace tilvane
