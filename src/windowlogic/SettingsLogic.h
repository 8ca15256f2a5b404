#pragma once

#include "core/common/PromptService.h"
#include "core/game/FSVersion.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace tilvane {

class TdmMain;

// The decisions of the settings dialog that need no widget: what it opens
// with, what OK refuses, and the order in which OK stores the settings. The
// window (TfmSettings) shows the values and hands them back.
class TSettingsLogic {
public:
  explicit TSettingsLogic(TdmMain& ADataModule);

  // What the dialog shows and OK stores.
  struct TValues {
    std::array<QString, AllFSVersions.size()> Locations; // executables, FS19 first
    QString ModFolders;
    QString InGameName;
    bool EnableDevConsole = false;
    QString Theme;
    // One line for each game that runs under Proton, with its prefix; shown
    // below the locations, not stored.
    QString ProtonNote;

    QString& Location(TFSVersion AFSVersion) { return Locations[static_cast<size_t>(AFSVersion)]; }
    const QString& Location(TFSVersion AFSVersion) const {
      return Locations[static_cast<size_t>(AFSVersion)];
    }
  };

  // The stored settings as the dialog opens with them: a location whose file
  // is gone shows as empty, and the in-game name and console come from the
  // game of NameSource (empty and cleared without one). Theme stays empty:
  // the window knows the active one.
  TValues Load();

  // The first generation, FS19 to FS25, whose location is not empty: the
  // player's name and console are the same in every game, so one is enough.
  static std::optional<TFSVersion> NameSource(const TValues& AValues);

  // Why OK refuses the values: the message, and the box to put right (a
  // generation's location; none for the in-game name).
  struct TRefusal {
    std::optional<TFSVersion> Location;
    QString Message;
  };
  // The first refusal, tested in the order the boxes are read from top to
  // bottom; none when the values can be stored.
  static std::optional<TRefusal> Check(const TValues& AValues);

  // Stores every value, locations first and the theme last. The name and
  // console go to all three games, changed or not; an empty location is
  // stored as empty. An error ends the storing; what was stored stays.
  void Store(const TValues& AValues);

  // The open dialog of a generation's location button: only that
  // generation's executable can be picked, starting where the current one is.
  static TFileDialogOptions LocationDialog(TFSVersion AFSVersion, const QString& ACurrent);

  // One line of the launch option list: "FS22: Server A" and the text to
  // paste into that game's launch options in Steam.
  struct TLaunchOption {
    QString Caption;
    QString Option;
  };
  // Every stored mod folder of every game, in button order, with the
  // launch option that runs AProgram for it.
  std::vector<TLaunchOption> LaunchOptions(const QString& AProgram) const;

  // Every stored mod folder of every game that exists, each once: the
  // folders whose identical archives can share one copy.
  QStringList ModFoldersOnDisk() const;
  // Where the program keeps each folder's lock and what it knows of its
  // archives.
  QString StateFolder() const;
  // What the sharing search found, as the dialog says it.
  static QString SharingText(int ADuplicates, qint64 ABytesToFree);
  // What applying did.
  static QString SharedText(int ALinked, const QStringList& AFailures);

private:
  TdmMain& FDataModule;
};

} // namespace tilvane
