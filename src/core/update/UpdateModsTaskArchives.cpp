// The update task's work on the archives themselves: which are outdated, and
// the checked downloads that replace them.
#include "core/update/UpdateModsTask.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/server/ModListCheck.h"
#include "core/server/StatsFeed.h"
#include "core/update/ArchiveFactsCache.h"
#include "core/update/ArchiveHash.h"
#include "core/update/DownloadCheck.h"
#include "core/update/HashingFileSink.h"
#include "core/update/ModArchiveReader.h"
#include "core/update/UpdateProgress.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

namespace tilvane {

namespace {

// The start of the server URL through the first '/' at or after index 9:
// scheme, host and port.
QString BaseServerURLOf(const QString& AServerURL) {
  const qsizetype Slash = AServerURL.indexOf(u'/', 9);
  return Slash < 0 ? QString() : AServerURL.left(Slash + 1);
}

std::filesystem::path FileSystemPath(const QString& APath) {
  return std::filesystem::path(APath.toStdU16String());
}

// Removes a partial download however its download ends, unless it became
// the archive.
class TPartialFileGuard {
public:
  explicit TPartialFileGuard(QFile& AFile) : FFile(AFile) {}
  ~TPartialFileGuard() {
    if (FKeep || !FCreated)
      return;
    FFile.close();
    QFile::remove(FFile.fileName());
  }
  TPartialFileGuard(const TPartialFileGuard&) = delete;
  TPartialFileGuard& operator=(const TPartialFileGuard&) = delete;

  void Created() { FCreated = true; }
  void Keep() { FKeep = true; }

private:
  QFile& FFile;
  bool FCreated = false;
  bool FKeep = false;
};

[[noreturn]] void RaiseUnableToWrite(const QFile& AFile) {
  throw EAppError(QLatin1String("Unable to write ") + AFile.fileName() +
                  QLatin1String("\r\nError: ") + AFile.errorString());
}

} // namespace

QString TUpdateModsTask::WorkFolder() {
  if (!FWorkFolder) {
    // The descriptions are extracted into a folder of this task's own: a
    // fixed name in the shared temporary folder could belong to another user.
    FWorkFolder =
        std::make_unique<QTemporaryDir>(JoinPath(FTempFolder, QStringLiteral("Tilvane-XXXXXX")));
    if (!FWorkFolder->isValid())
      throw EAppError(QLatin1String("Unable to create a temporary folder in ") + FTempFolder +
                      QLatin1String("\r\nError: ") + FWorkFolder->errorString());
  }
  return FWorkFolder->path();
}

TArchiveFactsCache& TUpdateModsTask::Facts() {
  if (!FFacts) {
    FFacts = std::make_unique<TArchiveFactsCache>(TArchiveFactsCache::CacheFileFor(
        JoinPath(FStateFolder, QStringLiteral("ModFolders")), FModFolder.Folder));
    FFacts->Load();
  }
  return *FFacts;
}

void TUpdateModsTask::SaveFacts() {
  // The sharing folders' facts too: what was read of their archives spares
  // the next sync of either folder the reading.
  for (auto& [Folder, Cache] : FSharingFacts) {
    try {
      Cache->Save();
    } catch (const std::exception&) {
    }
  }
  if (!FFacts)
    return;
  try {
    FFacts->Save();
  } catch (const std::exception&) {
    // The facts only spare the next sync some reading; a sync that could not
    // keep them is no worse for it.
  }
}

bool TUpdateModsTask::ReadStatsFeed(const TArrayOfServerMods& AModList) {
  if (IsCancelled())
    return false;
  if (FModFolder.StatsFeedURL.isEmpty())
    return true;
  SetStatus(QStringLiteral("Getting the server's stats feed..."));
  const bool PageHasArchives = !ArchiveRows(AModList).isEmpty();
  QString Reason;
  // The game rewrites the feed every minute, and for a moment it lists no
  // mods: one more try, then author and version decide.
  for (int Attempt = 1; Attempt <= 2; ++Attempt) {
    if (Attempt > 1)
      Wait(FTimings.RetryDelayMs);
    if (IsCancelled())
      return false;
    try {
      const QByteArray Body = FClient.GetBytes(FModFolder.StatsFeedURL);
      if (IsCancelled())
        return false;
      if (FClient.StatusCode() != 200) {
        Reason = QStringLiteral("the server answered %1 %2")
                     .arg(FClient.StatusCode())
                     .arg(FClient.StatusText())
                     .trimmed();
        continue;
      }
      auto Feed = std::make_unique<TStatsFeed>(ParseStatsFeed(Body));
      if (Feed->Mods.isEmpty() && PageHasArchives) {
        Reason = QStringLiteral("it lists no mods");
        continue;
      }
      FFeed = std::move(Feed);
      return true;
    } catch (const std::exception& Error) {
      Reason = ExceptionText(Error);
    }
  }
  SetStatus(QLatin1String("The stats feed could not be used (") + Reason +
            QLatin1String("); comparing authors and versions..."));
  FFeedFallback = Reason;
  return true;
}

QString TUpdateModsTask::FeedHashFor(const QString& AFileName) const {
  // A folder mod on the server has no hash to compare.
  const QString* Hash = FFeed ? FFeed->HashOf(ModNameOfArchive(AFileName)) : nullptr;
  return Hash ? *Hash : QString();
}

bool TUpdateModsTask::IsCurrent(const TServerMod& AMod, const QFileInfo& AArchive,
                                TArchiveFactsCache* AFacts) {
  TArchiveFactsCache& Cache = AFacts ? *AFacts : Facts();
  const QString FeedHash = FeedHashFor(AArchive.fileName());
  if (!FeedHash.isEmpty())
    return Cache.Hash(AArchive) == FeedHash;
  // The feed names the mods the server runs, the page every archive it
  // holds: for the others, author and version decide.
  std::optional<TModInfo> Info = Cache.Info(AArchive);
  if (!Info) {
    if (!FReader)
      FReader = std::make_unique<TModArchiveReader>(WorkFolder(), FPrompts);
    Info = FReader->GetModFileInfo(AArchive.filePath());
    Cache.PutInfo(AArchive, *Info);
  }
  return SameTextAscii(Info->Author, AMod.Author) && SameTextAscii(Info->Version, AMod.Version);
}

bool TUpdateModsTask::FindOutdatedArchives(const TArrayOfServerMods& AModList,
                                           TArrayOfServerMods& AToDownload) {
  if (IsCancelled())
    return false;
  SetStatus(QStringLiteral("Checking to see which mods need updating..."));
  for (const TServerMod& Mod : ArchiveRows(AModList)) {
    if (IsCancelled())
      return false;
    const QFileInfo Archive(LocalPath(Mod.FileName));
    if (!Archive.isFile()) {
      AToDownload.append(Mod);
      continue;
    }
    // The archive stays where it is until its replacement is complete. One
    // that cannot be read is as good as missing: a fresh copy mends it.
    bool Current = false;
    try {
      Current = IsCurrent(Mod, Archive);
    } catch (const std::exception&) {
      Current = false;
    }
    if (!Current)
      AToDownload.append(Mod);
  }
  return true;
}

bool TUpdateModsTask::DownloadArchives(const TArrayOfServerMods& AToDownload) {
  if (IsCancelled())
    return false;
  SetStatus(QStringLiteral("Downloading mods from server..."));
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
    SetStatus(QStringLiteral("Downloading mods from server..."));
    FProgress.UpdateDownloadStatus(OnFile, Missing, DownloadedMB, TotalMB, Mod.FileName,
                                   Mod.SizeMBAsDouble());
    if (!LinkSharedCopy(Mod) && !DownloadArchive(Mod))
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
  const QString Target = LocalPath(AMod.FileName);
  // Not ".zip": until it is complete, neither the game nor a listing of the
  // folder takes it for an archive.
  QFile Partial(JoinPath(FModFolder.Folder, AMod.FileName + PartialDownloadSuffix()));
  TPartialFileGuard Guard(Partial);
  // Made afresh, never opened through a link or over another's file. Unbuffered,
  // so that every write reports its own failure (a full disk).
  if (!Partial.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
    throw EAppError(QLatin1String("Unable to create ") + Partial.fileName() +
                    QLatin1String("\r\nError: ") + Partial.errorString());
  Guard.Created();
  THashingFileSink Sink(Partial);
  Sink.SetHashing(!FeedHashFor(QFileInfo(Target).fileName()).isEmpty());
  FGlobalStart = TickCount();
  QString Failure;
  bool Checked = false;
  bool HashOnly = false;
  for (int Attempt = 1;; ++Attempt) {
    if (IsCancelled())
      return false;
    Failure = DownloadAttempt(URL, Partial, Sink);
    if (IsCancelled())
      return false;
    Checked = Failure.isEmpty();
    if (Checked)
      Failure = CheckDownload(Partial, Sink, AMod, Target, HashOnly);
    if (Failure.isEmpty())
      break;
    if (Attempt == 3)
      break;
    Wait(FTimings.RetryDelayMs);
  }
  if (!Failure.isEmpty() && !HashOnly) {
    // An archive that never arrived whole must not let the game start as if
    // the folder were up to date; the old one, if any, is still in place.
    FFinalMsg = Checked ? Failure
                        : QLatin1String("Unable to download ") + AMod.FileName +
                              QLatin1String(". Exiting.\r\nError: ") + Failure;
    return false;
  }
  // A download whose only fault is the feed's hash is what the server offers:
  // it goes in place, and the player is told that the game will refuse it.
  if (HashOnly)
    FUnmatched.append(AMod.FileName);
  if (!ReplaceArchive(Partial, Target, Failure)) {
    FFinalMsg = Failure;
    return false;
  }
  Guard.Keep();
  FFolderNamesValid = false;
  const QFileInfo Archive(Target);
  if (!FDownloadHash.isEmpty())
    Facts().PutHash(Archive, FDownloadHash);
  Facts().PutInfo(Archive, FDownloadInfo);
  return true;
}

QString TUpdateModsTask::DownloadAttempt(const QString& AURL, QFile& AFile,
                                         THashingFileSink& ASink) {
  // Each attempt starts the file afresh: a failed attempt's bytes must not
  // stay in front of the next body. A file that is still empty is left
  // alone: on ext4 a truncate makes close() push the whole archive to the
  // disk on this thread, a tenth of the download's time.
  if (!AFile.isOpen()) {
    if (!AFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
      RaiseUnableToWrite(AFile);
  } else if (AFile.pos() != 0 && (!AFile.resize(0) || !AFile.seek(0))) {
    RaiseUnableToWrite(AFile);
  }
  if (!ASink.Restart())
    RaiseUnableToWrite(AFile);
  FAnnouncedLength = -1;
  try {
    FClient.GetToStream(AURL, ASink);
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

QString TUpdateModsTask::CheckDownload(QFile& APartial, THashingFileSink& ASink,
                                       const TServerMod& AMod, const QString& ATarget,
                                       bool& AHashOnly) {
  AHashOnly = false;
  // The last bytes reach the file only at close on some file systems.
  APartial.close();
  if (APartial.error() != QFileDevice::NoError)
    return AMod.FileName + QLatin1String(": ") + APartial.errorString();
  if (!FCheck) {
    // A folder apart from the local archives' reader: each extracts under a
    // fixed name.
    const QString CheckFolder = JoinPath(WorkFolder(), QStringLiteral("check"));
    if (!QDir().mkpath(CheckFolder))
      throw EAppError(QLatin1String("Unable to create folder ") + CheckFolder);
    FCheck = std::make_unique<TDownloadCheck>(CheckFolder);
  }
  FDownloadInfo = {};
  const QString Rejection =
      FCheck->Rejection(APartial.fileName(), FClient.ContentType(), AMod, FDownloadInfo);
  if (!Rejection.isEmpty())
    return Rejection;
  // The game hashes the archive under the name it will have in the folder.
  FDownloadHash = ASink.Hashing()
                      ? ASink.Hasher().Result(ModNameOfArchive(QFileInfo(ATarget).fileName()))
                      : QString();
  const QString FeedHash = FeedHashFor(QFileInfo(ATarget).fileName());
  if (!FeedHash.isEmpty() && FeedHash != FDownloadHash) {
    AHashOnly = true;
    return AMod.FileName + QLatin1String(": the archive the server sends is not the one its game "
                                         "runs.");
  }
  return {};
}

bool TUpdateModsTask::ReplaceArchive(QFile& APartial, const QString& ATarget, QString& AFailure) {
  // The partial file was closed, and its close checked, before it was read
  // for the check. One step from the old archive to the new: there is no moment without one.
  std::error_code Error;
  std::filesystem::rename(FileSystemPath(APartial.fileName()), FileSystemPath(ATarget), Error);
  if (Error) {
    AFailure = CannotDeleteMessage();
    return false;
  }
  return true;
}

void TUpdateModsTask::ReportOutcome() {
  if (!FUnmatched.isEmpty()) {
    FFinalMsg = QLatin1String("The server's game runs other versions of these mods than the "
                              "server offers for download: ") +
                FUnmatched.join(QLatin1String(", ")) +
                QLatin1String(". The downloaded archives were kept; the game will not join until "
                              "the server is restarted.");
    return;
  }
  FFinishedUpdating = true;
  if (!FFeedFallback.isEmpty()) {
    SetStatus(QLatin1String("The stats feed could not be used (") + FFeedFallback +
              QLatin1String("); authors and versions were compared."));
    return;
  }
  if (!FFeed) {
    SetStatus(QStringLiteral("The folder is in line with the server."));
    return;
  }
  // What the game checks before it lets the player join: every mod the
  // server runs, in the folder with the same hash.
  int Archives = 0;
  int Matching = 0;
  for (const TStatsFeedMod& Mod : FFeed->Mods) {
    if (Mod.Hash.isEmpty())
      continue;
    ++Archives;
    const QFileInfo Archive(LocalPath(Mod.Name + QStringLiteral(".zip")));
    try {
      if (Archive.isFile() && Facts().Hash(Archive) == Mod.Hash)
        ++Matching;
    } catch (const std::exception&) {
      // Unreadable: it does not match.
    }
  }
  if (Matching == Archives)
    SetStatus(QStringLiteral("All %1 mods match the server.").arg(Matching));
  else
    SetStatus(QStringLiteral("%1 of the %2 mods the server runs match the folder.")
                  .arg(Matching)
                  .arg(Archives));
}

} // namespace tilvane
