#pragma once

#include "core/game/FSVersion.h"
#include "platform/Platform.h"

#include <QString>

#include <map>

namespace tilvane {

// The answers about a game that cost a walk over every Steam library or a
// read of the game's settings (its Proton game, the mod folder its settings
// name, its executable), kept from one redraw of the main window to the next:
// a hover or a button asks the kept answer. Off until enabled, so that code
// without a window always sees the disk as it is now.
class TGameLookupCache {
public:
  void SetEnabled(bool AEnabled);
  bool Enabled() const { return FEnabled; }
  void Forget();

  // The kept answer, else AMake's, kept when enabled.
  template <typename TMake> platform::ProtonGame ProtonGame(TFSVersion AFSVersion, TMake&& AMake) {
    return Kept(FProtonGames, AFSVersion, AMake);
  }
  template <typename TMake> QString ModFolder(TFSVersion AFSVersion, TMake&& AMake) {
    return Kept(FModFolders, AFSVersion, AMake);
  }
  template <typename TMake> QString ProgramLocation(TFSVersion AFSVersion, TMake&& AMake) {
    return Kept(FProgramLocations, AFSVersion, AMake);
  }
  // The program wrote it: the next question reads it anew.
  void ForgetModFolder(TFSVersion AFSVersion) { FModFolders.erase(AFSVersion); }
  void ForgetProgramLocation(TFSVersion AFSVersion) { FProgramLocations.erase(AFSVersion); }

private:
  template <typename TValue, typename TMake>
  TValue Kept(std::map<TFSVersion, TValue>& AMap, TFSVersion AFSVersion, TMake& AMake) {
    if (!FEnabled)
      return AMake();
    auto It = AMap.find(AFSVersion);
    if (It == AMap.end())
      It = AMap.emplace(AFSVersion, AMake()).first;
    return It->second;
  }

  bool FEnabled = false;
  std::map<TFSVersion, platform::ProtonGame> FProtonGames;
  std::map<TFSVersion, QString> FModFolders;
  std::map<TFSVersion, QString> FProgramLocations;
};

} // namespace tilvane
