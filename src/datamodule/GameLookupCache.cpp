#include "datamodule/GameLookupCache.h"

namespace tilvane {

void TGameLookupCache::SetEnabled(bool AEnabled) {
  FEnabled = AEnabled;
  Forget();
}

void TGameLookupCache::Forget() {
  FProtonGames.clear();
  FModFolders.clear();
  FProgramLocations.clear();
}

} // namespace tilvane
