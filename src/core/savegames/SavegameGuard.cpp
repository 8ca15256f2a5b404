#include "core/savegames/SavegameGuard.h"

#include "core/server/ModListCheck.h"
#include "core/update/ArchiveHash.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace tilvane {

namespace {

QSet<QString> FoldedSet(const QStringList& ANames) {
  QSet<QString> Result;
  for (const QString& Name : ANames)
    Result.insert(FoldedAscii(Name));
  return Result;
}

QString FoldedModNameOf(const QString& APath) {
  return FoldedAscii(ModNameOfArchive(QFileInfo(APath).fileName()));
}

} // namespace

bool IsServersOwnSave(const TSavegame& ASave, const QStringList& AListedModNames) {
  const QSet<QString> Listed = FoldedSet(AListedModNames);
  bool HasRequired = false;
  for (const TSavegameMod& Mod : ASave.Mods) {
    if (!Mod.Required || IsGameContent(Mod.ModName))
      continue;
    HasRequired = true;
    if (!Listed.contains(FoldedAscii(Mod.ModName)))
      return false;
  }
  return HasRequired;
}

QStringList ArchivesSavesNeed(const QStringList& AToRemove, const QStringList& AFolderFiles,
                              const QString& AModFolder, const std::vector<TSavegame>& ASaves,
                              const QStringList& AListedModNames) {
  QSet<QString> Used;
  for (const TSavegame& Save : ASaves) {
    if (IsServersOwnSave(Save, AListedModNames))
      continue;
    for (const TSavegameMod& Mod : Save.Mods)
      Used.insert(FoldedAscii(Mod.ModName));
  }
  if (Used.isEmpty())
    return {};

  const QSet<QString> Removed = FoldedSet(AToRemove);
  QSet<QString> Provided;
  for (const QString& Path : AFolderFiles) {
    if (!Removed.contains(FoldedAscii(Path)))
      Provided.insert(FoldedModNameOf(Path));
  }
  const QDir Folder(AModFolder);
  for (const QString& Name : Folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
    Provided.insert(FoldedAscii(Name));

  QStringList Needed;
  for (const QString& Path : AToRemove) {
    const QString Name = FoldedModNameOf(Path);
    if (Used.contains(Name) && !Provided.contains(Name))
      Needed.append(Path);
  }
  return Needed;
}

} // namespace tilvane
