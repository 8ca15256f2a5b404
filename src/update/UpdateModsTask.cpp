#include "update/UpdateModsTask.h"

#include "common/AppError.h"
#include "common/Paths.h"
#include "common/PromptService.h"
#include "server/ParseServerModList.h"
#include "update/ModArchiveReader.h"
#include "update/ModListCheck.h"
#include "update/UpdateProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <chrono>
#include <cmath>

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

} // namespace

TUpdateModsTask::TUpdateModsTask(const TModFolder& AModFolder, TURLBuilder ACreateServerURL,
                                 IUpdateProgress& AProgress, IPromptService& APrompts,
                                 const QString& ATempFolder)
    : FModFolder(AModFolder), FCreateServerURL(std::move(ACreateServerURL)), FProgress(AProgress),
      FPrompts(APrompts), FTempFolder(ATempFolder) {
  FClient.SetOnReceiveData([this](qint64 AContentLength, qint64 AReadCount, bool& AAbort) {
    ReceiveDataEvent(AContentLength, AReadCount, AAbort);
  });
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

void TUpdateModsTask::DeleteAllArchives() {
  FFolderNamesValid = false;
  for (const QString& Path : ZipFilesIn(FModFolder.Folder)) {
    QFile File(Path);
    if (!File.remove())
      throw EAppError(QLatin1String("Unable to delete ") + Path + QLatin1String("\r\nError: ") +
                      File.errorString());
  }
}

void TUpdateModsTask::UpdateModsTask() {
  const TModFolder& Folder = FModFolder;

  // Start
  FProgress.StartTimes(false);
  if (FDeleteAllFilesFirst) {
    FProgress.UpdateStatus(QStringLiteral("Deleting all mod files..."));
    DeleteAllArchives();
  }
  if (IsCancelled())
    return;

  // Mod page
  FProgress.UpdateStatus(QStringLiteral("Getting dedicated server mod list..."));
  QString ModPage;
  try {
    for (int Attempt = 1;; ++Attempt) {
      try {
        ModPage = FClient.GetText(
            FCreateServerURL(Folder.DedicatedServerURL, Folder.WebUsername, Folder.WebPassword));
        break;
      } catch (const std::exception&) {
        Wait(FTimings.RetryDelayMs);
        if (Attempt == 3 || IsCancelled())
          throw;
      }
    }
    // A cancelled fetch leaves a partial page: it must neither be judged nor
    // make the parser complain after the user has given up.
    if (IsCancelled())
      return;
    if (ModPage.contains(QLatin1String(" | Login")))
      throw EAppError(QStringLiteral("Unable to log into server."));
  } catch (const std::exception& Error) {
    const QString Reason = dynamic_cast<const EAppError*>(&Error)
                               ? static_cast<const EAppError&>(Error).Message()
                               : QString::fromUtf8(Error.what());
    FFinalMsg =
        QLatin1String("Unable to retrieve mod list from Farming Simulator dedicated server.\r\n"
                      "Error: ") +
        Reason;
    return;
  }
  const TParseServerModPageResult ParsedModPage = ParseServerModPage(ModPage, FPrompts);
  if (!ParsedModPage.Successful)
    return;

  // Rows naming anything but a plain file are never acted on: a server must
  // not reach outside the mod folder.
  TArrayOfServerMods modList;
  for (const TServerMod& Mod : ParsedModPage.Mods) {
    if (IsPlainFileName(Mod.FileName))
      modList.append(Mod);
  }

  // Everything below deletes by this list: a list that does not say what the
  // page says must not be acted on.
  const TModListCheck Check = CheckModList(ModPage, ParsedModPage.Mods);
  if (!Check.Passed()) {
    FFinalMsg = ModListIncompleteMessage(Check);
    return;
  }

  // Local archives
  if (!QDir().mkpath(Folder.Folder))
    throw EAppError(QLatin1String("Unable to create folder ") + Folder.Folder);
  const QStringList Files = ZipFilesIn(Folder.Folder);

  // Removal
  if (Folder.RemoveModsNotOnServer) {
    if (IsCancelled())
      return;
    FProgress.UpdateStatus(QStringLiteral("Removing mod files not on the server..."));
    for (const QString& Path : Files) {
      if (IsCancelled())
        return;
      const QString Name = QFileInfo(Path).fileName();
      bool OnServer = false;
      for (const TServerMod& Mod : modList)
        OnServer = OnServer || SameTextAscii(Name, Mod.FileName);
      if (!OnServer)
        FFolderNamesValid = false;
      if (!OnServer && !QFile::remove(Path)) {
        FFinalMsg = CannotDeleteMessage();
        return;
      }
    }
  }

  // Version check
  if (IsCancelled())
    return;
  FProgress.UpdateStatus(QStringLiteral("Checking to see which mods need updating..."));
  TModArchiveReader Reader(FTempFolder, FPrompts);
  for (const TServerMod& Mod : modList) {
    if (IsCancelled())
      return;
    const QString Path = LocalPath(Mod.FileName);
    if (IsDlcFileName(Mod.FileName) || !QFileInfo(Path).isFile())
      continue;
    const TModInfo Info = Reader.GetModFileInfo(Path);
    if (!SameTextAscii(Info.Author, Mod.Author) || !SameTextAscii(Info.Version, Mod.Version)) {
      FFolderNamesValid = false;
      if (!QFile::remove(Path)) {
        FFinalMsg = CannotDeleteMessage();
        return;
      }
    }
  }

  // Download
  if (IsCancelled())
    return;
  FProgress.UpdateStatus(QStringLiteral("Downloading mods from server..."));
  const QString BaseServerURL = BaseServerURLOf(Folder.DedicatedServerURL);
  auto NeedsDownload = [this](const TServerMod& AMod) {
    return !IsDlcFileName(AMod.FileName) && !QFileInfo(LocalPath(AMod.FileName)).isFile();
  };
  int Missing = 0;
  double TotalMB = 0;
  for (const TServerMod& Mod : modList) {
    if (NeedsDownload(Mod)) {
      ++Missing;
      TotalMB += Mod.SizeMBAsDouble();
    }
  }
  FProgress.StartTimes(true);
  int OnFile = 0;
  double DownloadedMB = 0;
  for (const TServerMod& Mod : modList) {
    if (!NeedsDownload(Mod))
      continue;
    ++OnFile;
    if (IsCancelled())
      return;
    FProgress.UpdateStatus(QStringLiteral("Downloading mods from server..."));
    FProgress.UpdateDownloadStatus(OnFile, Missing, DownloadedMB, TotalMB, Mod.FileName,
                                   Mod.SizeMBAsDouble());
    const QString URL =
        FCreateServerURL(BaseServerURL + Mod.DownloadURL, Folder.WebUsername, Folder.WebPassword);
    const QString Path = JoinPath(Folder.Folder, Mod.FileName);
    QFile DownloadStream(Path);
    FFolderNamesValid = false;
    if (!DownloadStream.open(QIODevice::WriteOnly | QIODevice::Truncate))
      throw EAppError(QLatin1String("Unable to create ") + Path + QLatin1String("\r\nError: ") +
                      DownloadStream.errorString());
    FGlobalStart = TickCount();
    for (int Attempt = 1; Attempt <= 3; ++Attempt) {
      if (IsCancelled())
        return;
      // Each attempt starts the archive afresh: a failed attempt's bytes must
      // not stay in front of the next body. A file that is still empty is
      // left alone: on ext4 a truncate makes close() push the whole archive
      // to the disk on this thread, a tenth of the download's time.
      if (DownloadStream.pos() != 0 && (!DownloadStream.resize(0) || !DownloadStream.seek(0)))
        throw EAppError(QLatin1String("Unable to write ") + Path + QLatin1String("\r\nError: ") +
                        DownloadStream.errorString());
      QString Failure;
      try {
        FClient.GetToStream(URL, DownloadStream);
        if (FClient.StatusCode() == 200 || IsCancelled())
          break;
        Failure = FClient.StatusText() + QLatin1String("(Code: ") +
                  QString::number(FClient.StatusCode()) + QLatin1Char(')');
      } catch (const EAppError& Error) {
        Failure = Error.Message();
      } catch (const std::exception& Error) {
        Failure = QString::fromUtf8(Error.what());
      }
      if (Attempt == 3) {
        // An archive that never arrived must not let the game start as if
        // the folder were up to date.
        FFinalMsg = QLatin1String("Unable to download ") + Mod.FileName +
                    QLatin1String(". Exiting.\r\nError: ") + Failure;
        return;
      }
      Wait(FTimings.RetryDelayMs);
    }
    // No fixed pause follows an archive: it showed nothing and held up every
    // update (a quarter of a second is a third of a gigabyte's transfer over
    // a fast link).
    DownloadStream.close();
    FProgress.UpdateFileStatus(100, -1);
    DownloadedMB += Mod.SizeMBAsDouble();
  }

  // A transfer cut short by a cancel returns like a finished one.
  if (IsCancelled())
    return;
  FFinishedUpdating = true;
}

} // namespace tilvane
