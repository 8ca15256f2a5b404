#include "datamodule/MainDM.h"

#include "core/common/Paths.h"
#include "core/common/WaitService.h"
#include "core/modfolders/ModFolder.h"
#include "core/savegames/SavegameReader.h"
#include "core/savegames/SavegamesReport.h"
#include "core/update/ArchiveFactsCache.h"
#include "platform/Platform.h"

namespace tilvane {

bool TdmMain::ReadSavegamesFor(const TModFolder& AModFolder, TFSVersion AFSVersion,
                               TSavegamesReport& AReport) {
  const QString Folder =
      AModFolder.Folder.isEmpty() ? GetFSModFolder(AFSVersion) : AModFolder.Folder;
  // The same facts the sync keeps for the folder: an archive it has hashed
  // is not read again.
  const QString CacheFile = TArchiveFactsCache::CacheFileFor(
      JoinPath(FromPlatform(FPlatform.LocalAppDataFolder()), QStringLiteral("Tilvane/ModFolders")),
      Folder);
  TSavegamesReport Report;
  Report.MyGamesFolder = GetFSMyGamesFolder(AFSVersion);
  // Hashing a map the cache does not know reads hundreds of megabytes.
  const bool Done = FWait->RunWhileWaiting(
      QStringLiteral("Reading the savegames\u2026"), [&](const std::atomic_bool& ACancelled) {
        TSavegameReading Reading = ReadSavegames(Report.MyGamesFolder);
        Report.Skipped = std::move(Reading.Skipped);
        Report.Needs = TFolderSavegames(Folder, CacheFile).Match(Reading.Saves, &ACancelled);
      });
  if (Done)
    AReport = std::move(Report);
  return Done;
}

} // namespace tilvane
