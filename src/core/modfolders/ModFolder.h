#pragma once

#include <QString>

namespace tilvane {

// One mod folder button's settings. A plain record: the list in the data
// module owns the objects and everything else refers to them by identity.
class TModFolder {
public:
  QString Name;
  QString Folder; // empty: the game's own default mods folder
  QString DedicatedServerURL;
  // The server's stats feed (/feed/dedicated-server-stats.xml?code=…); empty for
  // none. With it, the sync judges archives by the game's hash.
  QString StatsFeedURL;
  QString WebUsername;
  QString WebPassword;
  bool AutoUpdateFromDedicatedServer = false;
  QString GameNameFilter;
  QString GamePassword;
  bool RemoveModsNotOnServer = false;
};

} // namespace tilvane
