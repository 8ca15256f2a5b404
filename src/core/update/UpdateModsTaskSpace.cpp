// The update task's care for the player's disk: no mass removal without a
// word, no sync that runs out of space half way, and one copy of an archive
// that several mod folders hold.
#include "core/update/UpdateModsTask.h"

#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/server/ModListCheck.h"
#include "core/update/ArchiveFactsCache.h"
#include "core/update/ArchiveLinks.h"
#include "core/update/UpdateProgress.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace tilvane {

namespace {

// More than this many archives, and more than a quarter of the folder, is a
// removal the player is asked about first: a folder of other mods pointed at
// a new server would otherwise lose most of them on the first click.
constexpr qsizetype MassRemovalCount = 10;

constexpr qint64 MiB = 1024 * 1024;
// Beyond the archives themselves: the page rounds their sizes, and the file
// system needs room for its own records of the new files.
constexpr qint64 SpaceMargin = 10 * MiB;

// The page's size (ten-thousandths of a megabyte) in bytes.
qint64 PageSizeBytes(const TServerMod& AMod) {
  return AMod.SizeMB * MiB / 10000;
}

} // namespace

QString FormatDiskSize(qint64 ABytes) {
  constexpr double GiB = 1024.0 * 1024.0 * 1024.0;
  const double Bytes = static_cast<double>(std::max<qint64>(ABytes, 0));
  // Rounded the way it is shown: 1023.96 MB reads "1.0 GB", not "1024.0 MB".
  if (Bytes >= GiB - 0.05 * MiB)
    return QString::number(Bytes / GiB, 'f', 1) + QLatin1String(" GB");
  return QString::number(Bytes / static_cast<double>(MiB), 'f', 1) + QLatin1String(" MB");
}

bool TUpdateModsTask::ConfirmMassRemoval(const QStringList& AUnlisted, qsizetype AArchives) {
  const qsizetype Count = AUnlisted.size();
  if (Count <= MassRemovalCount || Count * 4 <= AArchives)
    return true;
  if (FPrompts.AskYesNo(QStringLiteral("The server does not list %1 of the %2 mod archives in "
                                       "this folder. Move them to the trash?")
                            .arg(Count)
                            .arg(AArchives),
                        false))
    return true;
  FKept += static_cast<int>(Count);
  FProgress.UpdateRemoved(FMovedToTrash, FDeleted, FKept);
  return false;
}

bool TUpdateModsTask::CheckFreeSpace(const TArrayOfServerMods& AToDownload) {
  if (IsCancelled())
    return false;
  // A download is written beside its archive, which goes only when the new
  // one is complete: the drive must hold both for a moment. The archives
  // come one by one, so the most the drive must take is, at some archive,
  // what the earlier ones added plus the whole of this one.
  qint64 Added = 0;
  qint64 Peak = 0;
  for (const TServerMod& Mod : AToDownload) {
    if (FSharedCopies.contains(FoldedAscii(Mod.FileName)))
      continue; // a link takes no room
    const qint64 New = PageSizeBytes(Mod);
    const QFileInfo Old(LocalPath(Mod.FileName));
    Peak = std::max(Peak, Added + New);
    Added += New - (Old.isFile() ? Old.size() : 0);
  }
  if (Peak == 0)
    return true;
  const QStorageInfo Drive(FModFolder.Folder);
  const qint64 Free = Drive.isValid() ? Drive.bytesAvailable() : -1;
  // A drive that does not say is given the benefit of the doubt: a full one
  // still fails the download cleanly.
  if (Free < 0 || Peak + SpaceMargin <= Free)
    return true;
  FFinalMsg = QLatin1String("The mods to download need ") + FormatDiskSize(Peak + SpaceMargin) +
              QLatin1String("; the drive of ") + QDir::toNativeSeparators(FModFolder.Folder) +
              QLatin1String(" has ") + FormatDiskSize(Free) + QLatin1String(" free.");
  return false;
}

TArchiveFactsCache& TUpdateModsTask::FactsOf(const QString& AFolder) {
  std::unique_ptr<TArchiveFactsCache>& Cache = FSharingFacts[AFolder];
  if (!Cache) {
    Cache = std::make_unique<TArchiveFactsCache>(TArchiveFactsCache::CacheFileFor(
        JoinPath(FStateFolder, QStringLiteral("ModFolders")), AFolder));
    Cache->Load();
  }
  return *Cache;
}

void TUpdateModsTask::FindSharedCopies(const TArrayOfServerMods& AToDownload) {
  FSharedCopies.clear();
  if (FSharingFolders.isEmpty() || AToDownload.isEmpty())
    return;
  for (const TServerMod& Mod : AToDownload) {
    if (IsCancelled())
      return;
    const QString Copy = SharedCopyOf(Mod);
    if (!Copy.isEmpty())
      FSharedCopies.insert(FoldedAscii(Mod.FileName), Copy);
  }
}

QString TUpdateModsTask::SharedCopyOf(const TServerMod& AMod) {
  const QString Own = QFileInfo(FModFolder.Folder).absoluteFilePath();
  for (const QString& Folder : FSharingFolders) {
    const QFileInfo FolderInfo(Folder);
    // Links cannot cross drives: a folder elsewhere is not even read.
    if (!FolderInfo.isDir() || FolderInfo.absoluteFilePath() == Own ||
        !SameDrive(Folder, FModFolder.Folder))
      continue;
    // The game reads the archive under its own name: a copy named otherwise
    // would have another hash.
    const QFileInfo Copy(JoinPath(Folder, AMod.FileName));
    if (!Copy.isFile() || SameFile(Copy.filePath(), LocalPath(AMod.FileName)))
      continue;
    try {
      // Judged as this folder's own archives are: what the server runs.
      if (IsCurrent(AMod, Copy, &FactsOf(Folder)))
        return Copy.filePath();
    } catch (const std::exception&) {
      // An unreadable copy is no copy; the next folder may have one.
    }
  }
  return {};
}

bool TUpdateModsTask::LinkSharedCopy(const TServerMod& AMod) {
  const auto Found = FSharedCopies.constFind(FoldedAscii(AMod.FileName));
  if (Found == FSharedCopies.constEnd())
    return false;
  const QFileInfo Copy(*Found);
  const QString Target = LocalPath(AMod.FileName);
  QString Reason;
  // Whatever stops the link (another drive after all, a file system without
  // links, the copy gone meanwhile), the download is the way that remains.
  if (LinkInPlace(Copy.filePath(), Target, PartialDownloadSuffix(), Reason) !=
      TArchiveLinkOutcome::Linked)
    return false;
  FFolderNamesValid = false;
  ++FLinked;
  // One file: what the other folder knows of it holds here too.
  TArchiveFactsCache& Theirs = FactsOf(Copy.path());
  const QFileInfo Archive(Target);
  const QString FeedHash = FeedHashFor(Archive.fileName());
  if (!FeedHash.isEmpty())
    Facts().PutHash(Archive, FeedHash);
  if (const std::optional<TModInfo> Info = Theirs.Info(Copy))
    Facts().PutInfo(Archive, *Info);
  return true;
}

} // namespace tilvane
