#include "core/update/UpdateModsTask.h"

#include "core/common/PromptService.h"
#include "core/savegames/SavegameGuard.h"
#include "core/savegames/SavegameReader.h"
#include "core/update/ArchiveHash.h"
#include "core/update/UpdateProgress.h"

#include <QFileInfo>

#include <algorithm>

namespace tilvane {

bool TUpdateModsTask::KeepArchivesSavesNeed(QStringList& AUnlisted, const QStringList& AFiles,
                                            const TArrayOfServerMods& AModList) {
  if (AUnlisted.isEmpty())
    return true;
  // The game loads a save without the mods it cannot find, and says nothing:
  // an archive removed here is a save broken without a word.
  if (!FSavegames)
    FSavegames = ReadSavegames(FSavegamesFolder).Saves;
  QStringList Listed;
  for (const TServerMod& Mod : AModList)
    Listed.append(ModNameOfArchive(Mod.FileName));
  const QStringList Needed =
      ArchivesSavesNeed(AUnlisted, AFiles, FModFolder.Folder, *FSavegames, Listed);
  if (Needed.isEmpty())
    return true;

  QStringList Names;
  for (const QString& Path : Needed)
    Names.append(ModNameOfArchive(QFileInfo(Path).fileName()));
  std::sort(Names.begin(), Names.end(), [](const QString& A, const QString& B) {
    return QString::compare(A, B, Qt::CaseInsensitive) < 0;
  });
  const bool Keep = FPrompts.AskYesNo(
      QStringLiteral("The server no longer lists %1 mods that your savegames use (%2). Keep them "
                     "in this folder?")
          .arg(Needed.size())
          .arg(Names.join(QStringLiteral(", "))),
      true);
  if (!Keep)
    return !IsCancelled();
  for (const QString& Path : Needed)
    AUnlisted.removeOne(Path);
  FKept += static_cast<int>(Needed.size());
  FProgress.UpdateRemoved(FMovedToTrash, FDeleted, FKept);
  return !IsCancelled();
}

} // namespace tilvane
