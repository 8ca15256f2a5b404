#include "core/update/ModSharing.h"

#include "core/common/Paths.h"
#include "core/server/ModListCheck.h"
#include "core/update/ArchiveFactsCache.h"
#include "core/update/ArchiveLinks.h"
#include "core/update/FolderContents.h"
#include "core/update/ModFolderLock.h"
#include "core/update/UpdateModsTask.h"
#include "platform/FileLinks.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <map>
#include <memory>

namespace tilvane {

namespace {

struct TCandidate {
  QFileInfo File;
  platform::TFileIdentity Identity;
  QString Hash; // empty until read
};

qint64 ModifiedMs(const QFileInfo& AFile) {
  return AFile.lastModified().toMSecsSinceEpoch();
}

} // namespace

TModSharing::TModSharing(const QString& AStateFolder) : FStateFolder(AStateFolder) {}

qint64 TModSharing::BytesToFree() const {
  qint64 Result = 0;
  for (const TSharedArchive& Archive : FDuplicates)
    Result += Archive.Size;
  return Result;
}

void TModSharing::Find(const QStringList& AFolders, const std::atomic_bool* ACancelled) {
  FDuplicates.clear();
  // By file name as the game compares names: the archives of each name.
  QHash<QString, QList<TCandidate>> ByName;
  QStringList Seen;
  for (const QString& Folder : AFolders) {
    const QString Absolute = QFileInfo(Folder).absoluteFilePath();
    if (Seen.contains(Absolute) || !QFileInfo(Absolute).isDir())
      continue;
    Seen.append(Absolute);
    for (const QString& Path : ZipFilesIn(Absolute)) {
      TCandidate Candidate{QFileInfo(Path), platform::FileIdentityOf(ToPlatform(Path)), {}};
      if (Candidate.Identity.Valid)
        ByName[FoldedAscii(Candidate.File.fileName())].append(Candidate);
    }
  }
  std::map<QString, std::unique_ptr<TArchiveFactsCache>> Caches;
  auto HashOf = [&](TCandidate& ACandidate) -> const QString& {
    if (ACandidate.Hash.isEmpty()) {
      std::unique_ptr<TArchiveFactsCache>& Cache = Caches[ACandidate.File.path()];
      if (!Cache) {
        Cache = std::make_unique<TArchiveFactsCache>(TArchiveFactsCache::CacheFileFor(
            JoinPath(FStateFolder, QStringLiteral("ModFolders")), ACandidate.File.path()));
        Cache->Load();
      }
      ACandidate.Hash = Cache->Hash(ACandidate.File);
    }
    return ACandidate.Hash;
  };
  for (QList<TCandidate>& Group : ByName) {
    if (ACancelled && ACancelled->load())
      break;
    for (qsizetype I = 0; I < Group.size(); ++I) {
      for (qsizetype J = 0; J < I; ++J) {
        TCandidate& Keep = Group[J];
        TCandidate& Other = Group[I];
        // Already one file, or two that can never be one.
        if (Keep.Identity.Device != Other.Identity.Device || Keep.File.size() != Other.File.size())
          continue;
        const bool OneFile = Keep.Identity.File == Other.Identity.File;
        try {
          if (!OneFile && HashOf(Keep) != HashOf(Other))
            continue;
        } catch (const std::exception&) {
          continue; // unreadable: not shared
        }
        if (!OneFile) {
          // Another name of the same duplicate file already counted frees
          // nothing more.
          bool Counted = false;
          for (const TSharedArchive& Found : FDuplicates)
            Counted = Counted || SameFile(Found.Duplicate, Other.File.filePath());
          FDuplicates.append({Keep.File.filePath(), Other.File.filePath(),
                              Counted ? 0 : Other.File.size(), ModifiedMs(Keep.File),
                              ModifiedMs(Other.File)});
        }
        // Each archive is matched with the first of its kind only.
        break;
      }
    }
  }
  // The hashes spare the next sync and the next search the reading.
  for (auto& [Folder, Cache] : Caches) {
    try {
      Cache->Save();
    } catch (const std::exception&) {
    }
  }
}

int TModSharing::Apply(QStringList& AFailures) {
  int Linked = 0;
  // A sync replaces archives in its folder meanwhile: a folder that one holds
  // is left alone, as are the archives that changed since they were compared.
  std::map<QString, std::unique_ptr<TModFolderLock>> Locks;
  auto Held = [&](const QString& AFolder) {
    auto Found = Locks.find(AFolder);
    if (Found == Locks.end()) {
      auto Lock = std::make_unique<TModFolderLock>(FStateFolder, AFolder);
      bool Taken = false;
      try {
        Taken = Lock->TryLock();
      } catch (const std::exception&) {
        Taken = false;
      }
      Found = Locks.emplace(AFolder, Taken ? std::move(Lock) : nullptr).first;
    }
    return Found->second != nullptr;
  };
  for (const TSharedArchive& Archive : FDuplicates) {
    const QFileInfo Keep(Archive.Keep);
    const QFileInfo Duplicate(Archive.Duplicate);
    if (!Held(Duplicate.path()) || !Keep.isFile() || !Duplicate.isFile() ||
        ModifiedMs(Keep) != Archive.KeepModifiedMs ||
        ModifiedMs(Duplicate) != Archive.DuplicateModifiedMs || Keep.size() != Duplicate.size() ||
        SameFile(Archive.Keep, Archive.Duplicate))
      continue;
    QString Reason;
    switch (LinkInPlace(Archive.Keep, Archive.Duplicate, TUpdateModsTask::PartialDownloadSuffix(),
                        Reason)) {
    case TArchiveLinkOutcome::Linked:
      ++Linked;
      break;
    case TArchiveLinkOutcome::NotPossible:
      break;
    case TArchiveLinkOutcome::Failed:
      AFailures.append(QDir::toNativeSeparators(Archive.Duplicate) + QLatin1String(": ") + Reason);
      break;
    }
  }
  return Linked;
}

} // namespace tilvane
