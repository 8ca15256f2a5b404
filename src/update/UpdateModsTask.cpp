#include "update/UpdateModsTask.h"

#include "common/AppError.h"
#include "common/Paths.h"
#include "common/PromptService.h"
#include "common/Trash.h"
#include "server/ModListCheck.h"
#include "server/ModPageReading.h"
#include "server/ServerURL.h"
#include "update/ModArchiveReader.h"
#include "update/UpdateProgress.h"

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

namespace {

qint64 TickCount() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const QString& CannotDeleteMessage() {
  static const QString Text =
      QStringLiteral("Unable to update mods. Is Farming Simulator still running?");
  return Text;
}

QString UnableToRetrieveMessage(const QString& AReason) {
  return QLatin1String("Unable to retrieve mod list from Farming Simulator dedicated server.\r\n"
                       "Error: ") +
         AReason;
}

// Archives directly in the folder; the letter case of ".zip" does not matter,
// as on the game's own file system.
QStringList ZipFilesIn(const QString& AFolder) {
  QDir Dir(AFolder);
  Dir.setNameFilters({QStringLiteral("*.zip")});
  QStringList Result;
  for (const QString& Name : Dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort))
    Result.append(JoinPath(AFolder, Name));
  return Result;
}

// The start of the server URL through the first '/' at or after index 9:
// scheme, host and port.
QString BaseServerURLOf(const QString& AServerURL) {
  const qsizetype Slash = AServerURL.indexOf(u'/', 9);
  return Slash < 0 ? QString() : AServerURL.left(Slash + 1);
}

std::filesystem::path FileSystemPath(const QString& APath) {
  return std::filesystem::path(APath.toStdU16String());
}

// The archive rows of a list, each file once: DLC rows have nothing to
// download, and a file listed twice is fetched once.
TArrayOfServerMods ArchiveRows(const TArrayOfServerMods& AModList) {
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

// Removes a partial download however its download ends, unless it became
// the archive.
class TPartialFileGuard {
public:
  explicit TPartialFileGuard(QFile& AFile) : FFile(AFile) {}
  ~TPartialFileGuard() {
    if (FKeep)
      return;
    FFile.close();
    QFile::remove(FFile.fileName());
  }
  TPartialFileGuard(const TPartialFileGuard&) = delete;
  TPartialFileGuard& operator=(const TPartialFileGuard&) = delete;

  void Keep() { FKeep = true; }

private:
  QFile& FFile;
  bool FKeep = false;
};

} // namespace

QString TUpdateModsTask::PartialDownloadSuffix() {
  return QStringLiteral(".tilvane-download");
}

TUpdateModsTask::TUpdateModsTask(const TModFolder& AModFolder, TFSVersion FSVersion,
                                 TURLBuilder ACreateServerURL, IUpdateProgress& AProgress,
                                 IPromptService& APrompts, const QString& ATempFolder)
    : FModFolder(AModFolder), FFSVersion(FSVersion), FCreateServerURL(std::move(ACreateServerURL)),
      FProgress(AProgress), FPrompts(APrompts), FTempFolder(ATempFolder) {
  FClient.SetOnReceiveData([this](qint64 AContentLength, qint64 AReadCount, bool& AAbort) {
    ReceiveDataEvent(AContentLength, AReadCount, AAbort);
  });
  // The time-outs are minutes long; a cancel must not wait for them.
  FClient.SetAbortCheck([this] { return IsCancelled(); });
}

TUpdateModsTask::~TUpdateModsTask() {
  if (FStarted.load()) {
    Cancel();
    std::unique_lock Lock(FMutex);
    FWake.wait(Lock, [this] { return FEnded.load(); });
  }
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
  FProgress.StartTimes(false);
  RemovePartialDownloads();

  QString ModPage;
  TArrayOfServerMods modList;
  if (!FetchModPage(ModPage) || !JudgeModPage(ModPage) || !ReadModList(ModPage, modList))
    return;

  // Local archives
  if (!QDir().mkpath(FModFolder.Folder))
    throw EAppError(QLatin1String("Unable to create folder ") + FModFolder.Folder);
  const QStringList Files = ZipFilesIn(FModFolder.Folder);
  if (!ConfirmEmptyModList(modList, Files))
    return;

  if (FDeleteAllFilesFirst) {
    // Every archive afresh, each one replaced only when its download is
    // complete; what the server does not list goes last.
    if (!DownloadArchives(ArchiveRows(modList)) || !RemoveArchivesNotOnServer(Files, modList))
      return;
  } else {
    if (FModFolder.RemoveModsNotOnServer && !RemoveArchivesNotOnServer(Files, modList))
      return;
    TArrayOfServerMods ToDownload;
    if (!FindOutdatedArchives(modList, ToDownload) || !DownloadArchives(ToDownload))
      return;
  }

  // A transfer cut short by a cancel returns like a finished one.
  if (IsCancelled())
    return;
  FFinishedUpdating = true;
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
  FProgress.UpdateStatus(QStringLiteral("Getting dedicated server mod list..."));
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
      if (Attempt == 3) {
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
  FProgress.UpdateStatus(QStringLiteral("Removing mod files not on the server..."));
  QSet<QString> Listed;
  for (const TServerMod& Mod : AModList)
    Listed.insert(FoldedAscii(Mod.FileName));
  for (const QString& Path : AFiles) {
    if (IsCancelled())
      return false;
    if (Listed.contains(FoldedAscii(QFileInfo(Path).fileName())))
      continue;
    if (!RemoveArchive(Path)) {
      FFinalMsg = CannotDeleteMessage();
      return false;
    }
  }
  return true;
}

bool TUpdateModsTask::RemoveArchive(const QString& APath) {
  FFolderNamesValid = false;
  if (MoveToTrash(APath))
    ++FMovedToTrash;
  else if (QFile::remove(APath))
    ++FDeleted;
  else
    return false;
  FProgress.UpdateRemoved(FMovedToTrash, FDeleted);
  return true;
}

bool TUpdateModsTask::FindOutdatedArchives(const TArrayOfServerMods& AModList,
                                           TArrayOfServerMods& AToDownload) {
  if (IsCancelled())
    return false;
  FProgress.UpdateStatus(QStringLiteral("Checking to see which mods need updating..."));
  // The descriptions are extracted into a folder of this task's own: a fixed
  // name in the shared temporary folder could belong to another user.
  QTemporaryDir Descriptions(JoinPath(FTempFolder, QStringLiteral("Tilvane-XXXXXX")));
  if (!Descriptions.isValid())
    throw EAppError(QLatin1String("Unable to create a temporary folder in ") + FTempFolder +
                    QLatin1String("\r\nError: ") + Descriptions.errorString());
  TModArchiveReader Reader(Descriptions.path(), FPrompts);
  for (const TServerMod& Mod : ArchiveRows(AModList)) {
    if (IsCancelled())
      return false;
    const QString Path = LocalPath(Mod.FileName);
    if (!QFileInfo(Path).isFile()) {
      AToDownload.append(Mod);
      continue;
    }
    // The archive stays where it is until its replacement is complete.
    const TModInfo Info = Reader.GetModFileInfo(Path);
    if (!SameTextAscii(Info.Author, Mod.Author) || !SameTextAscii(Info.Version, Mod.Version))
      AToDownload.append(Mod);
  }
  return true;
}

bool TUpdateModsTask::DownloadArchives(const TArrayOfServerMods& AToDownload) {
  if (IsCancelled())
    return false;
  FProgress.UpdateStatus(QStringLiteral("Downloading mods from server..."));
  double TotalMB = 0;
  for (const TServerMod& Mod : AToDownload)
    TotalMB += Mod.SizeMBAsDouble();
  FProgress.StartTimes(true);
  const int Missing = static_cast<int>(AToDownload.size());
  int OnFile = 0;
  double DownloadedMB = 0;
  for (const TServerMod& Mod : AToDownload) {
    ++OnFile;
    if (IsCancelled())
      return false;
    FProgress.UpdateStatus(QStringLiteral("Downloading mods from server..."));
    FProgress.UpdateDownloadStatus(OnFile, Missing, DownloadedMB, TotalMB, Mod.FileName,
                                   Mod.SizeMBAsDouble());
    if (!DownloadArchive(Mod))
      return false;
    // No fixed pause follows an archive: it showed nothing and held up every
    // update (a quarter of a second is a third of a gigabyte's transfer over
    // a fast link).
    FProgress.UpdateFileStatus(100, -1);
    DownloadedMB += Mod.SizeMBAsDouble();
  }
  return true;
}

bool TUpdateModsTask::DownloadArchive(const TServerMod& AMod) {
  const QString URL =
      FCreateServerURL(BaseServerURLOf(FModFolder.DedicatedServerURL) + AMod.DownloadURL,
                       FModFolder.WebUsername, FModFolder.WebPassword);
  // Not ".zip": until it is complete, neither the game nor a listing of the
  // folder takes it for an archive.
  QFile Partial(JoinPath(FModFolder.Folder, AMod.FileName + PartialDownloadSuffix()));
  TPartialFileGuard Guard(Partial);
  // Unbuffered, so that every write reports its own failure (a full disk).
  if (!Partial.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
    throw EAppError(QLatin1String("Unable to create ") + Partial.fileName() +
                    QLatin1String("\r\nError: ") + Partial.errorString());
  FGlobalStart = TickCount();
  QString Failure;
  for (int Attempt = 1;; ++Attempt) {
    if (IsCancelled())
      return false;
    Failure = DownloadAttempt(URL, Partial);
    if (IsCancelled())
      return false;
    if (Failure.isEmpty())
      break;
    if (Attempt == 3) {
      // An archive that never arrived must not let the game start as if the
      // folder were up to date; the old one, if any, is still in place.
      FFinalMsg = QLatin1String("Unable to download ") + AMod.FileName +
                  QLatin1String(". Exiting.\r\nError: ") + Failure;
      return false;
    }
    Wait(FTimings.RetryDelayMs);
  }
  const QString Target = LocalPath(AMod.FileName);
  if (!ReplaceArchive(Partial, Target, Failure)) {
    FFinalMsg = Failure;
    return false;
  }
  Guard.Keep();
  FFolderNamesValid = false;
  return true;
}

QString TUpdateModsTask::DownloadAttempt(const QString& AURL, QFile& AFile) {
  // Each attempt starts the file afresh: a failed attempt's bytes must not
  // stay in front of the next body. A file that is still empty is left
  // alone: on ext4 a truncate makes close() push the whole archive to the
  // disk on this thread, a tenth of the download's time.
  if (AFile.pos() != 0 && (!AFile.resize(0) || !AFile.seek(0)))
    throw EAppError(QLatin1String("Unable to write ") + AFile.fileName() +
                    QLatin1String("\r\nError: ") + AFile.errorString());
  FAnnouncedLength = -1;
  try {
    FClient.GetToStream(AURL, AFile);
  } catch (const std::exception& Error) {
    return ExceptionText(Error);
  }
  if (IsCancelled())
    return {};
  if (FClient.StatusCode() != 200)
    return FClient.StatusText() + QLatin1String("(Code: ") + QString::number(FClient.StatusCode()) +
           QLatin1Char(')');
  if (FAnnouncedLength >= 0 && AFile.pos() != FAnnouncedLength)
    return QStringLiteral("The server sent %1 of %2 bytes.").arg(AFile.pos()).arg(FAnnouncedLength);
  return {};
}

bool TUpdateModsTask::ReplaceArchive(QFile& APartial, const QString& ATarget, QString& AFailure) {
  // The last bytes reach the file only at close on some file systems.
  APartial.close();
  if (APartial.error() != QFileDevice::NoError) {
    AFailure = QLatin1String("Unable to download ") + QFileInfo(ATarget).fileName() +
               QLatin1String(". Exiting.\r\nError: ") + APartial.errorString();
    return false;
  }
  // One step from the old archive to the new: there is no moment without one.
  std::error_code Error;
  std::filesystem::rename(FileSystemPath(APartial.fileName()), FileSystemPath(ATarget), Error);
  if (Error) {
    AFailure = CannotDeleteMessage();
    return false;
  }
  return true;
}

} // namespace tilvane
