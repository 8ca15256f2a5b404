#pragma once

#include "core/common/PromptService.h"
#include "core/game/FSVersion.h"

#include <QString>

#include <optional>

namespace tilvane {

namespace platform {
class IPlatform;
}
class TModFolder;

// The small file that carries one mod folder button to another player: an
// INI file with the extension ".mfb" and the one section "Button". A server's
// administrator exports his button and the players import it into the new
// mod folder dialog. The local folder stays out of the file: every player
// keeps his mods where he likes.
class TModFolderButtonFile {
public:
  // What an import reads. Missing keys give the defaults below, so that a
  // file of an older version, or any other file, still imports.
  struct TButton {
    QString FSVersion = QStringLiteral("22"); // a file without one counts as FS22's
    QString Name;
    QString DedicatedServerURL;
    // Files of buttons without a stats feed, and older files, have none.
    QString StatsFeedURL;
    // Only in files whose author chose to share his web login.
    std::optional<QString> WebUserName;
    std::optional<QString> WebPassword;
    bool AutoUpdateFromDedicatedServer = true;
    bool RemoveModsNotOnServer = true;
    QString GameNameFilter;
    QString ServerPassword; // the game's join password
  };

  explicit TModFolderButtonFile(platform::IPlatform& APlatform);

  // The file type the open and save dialogs offer.
  static TFileType FileType();
  // AFileName with its extension replaced by ".mfb", or ".mfb" appended when
  // it has none: the importing dialog offers only that type.
  static QString WithButtonExtension(const QString& AFileName);

  // Writes the button into section Button of AFileName. Keys already in the
  // file that the export does not write stay; only a web login an earlier
  // export put there goes when this one is without it. The file can be read
  // by its owner only. Raises "Unable to write to <file>" when the file cannot
  // be written; the old file then stays as it was.
  void Export(const TModFolder& AModFolder, TFSVersion AFSVersion, const QString& AFileName,
              bool AWithWebLogin);
  // Never fails: a missing or unreadable file reads as one without keys.
  TButton Import(const QString& AFileName) const;

private:
  platform::IPlatform& FPlatform;
};

} // namespace tilvane
