#pragma once

#include "core/game/FSVersion.h"
#include "core/modfolders/ModFolderButtonFile.h"

#include <QString>

#include <optional>

namespace tilvane {

class TdmMain;
class TModFolder;

// What the new and edit mod folder dialog decides, without the dialog: the
// directory it proposes while a new button is named, which directories a
// mod folder may not take, the checks of OK, and what the two imports bring.
// Messages and questions go through the data module's prompt service.
class TNewModFolderLogic {
public:
  TNewModFolderLogic(TdmMain& ADataModule, TFSVersion AFSVersion);

  TFSVersion FSVersion() const { return FFSVersion; }
  bool EditMode() const { return FEditMode; }
  // True while the directory still follows the button name.
  bool GeneratesSuggestedDir() const { return FGenerateSuggestedDir; }

  // "New FS22 Mod Folder": the caption a new dialog opens with.
  static QString CreateCaption(TFSVersion AFSVersion);
  // "Edit Mod Folder" or "New Mod Folder".
  static QString EditModeCaption(bool AEditMode);

  // An edited folder keeps its directory: proposals are only for new ones.
  void SetEditMode(bool AValue);
  // The user chose the directory himself (typed into it or picked one).
  void StopSuggestions() { FGenerateSuggestedDir = false; }

  // The directory proposed for a button named AName: below the mod folders
  // root, in the generation's folder ("FS22"), the first of the name and its
  // numbered variants (" 1" to " 999") that is not a directory yet. Nothing
  // while proposals are off or when every variant is taken.
  std::optional<QString> SuggestedDir(const QString& AName) const;
  // AName as a folder name: characters a file name may not hold become "_";
  // an empty name gives "Mod Folder".
  static QString FolderNameFor(const QString& AName);

  // Whether APath is a directory no mod folder may be: a drive root ("C:\"),
  // the file system's root, the documents folder (ignoring letter case) and,
  // when one is given, the home folder. A trailing separator does not matter.
  // A sync removes the archives its server does not list, and deleting a
  // button can remove its folder with everything in it: neither may reach
  // the user's own files.
  static bool IsReservedDirectory(const QString& APath, const QString& ADocumentsFolder,
                                  const QString& AHomeFolder);
  // The same for this user's documents folder and, on Linux, home folder.
  bool IsReservedDirectory(const QString& APath) const;

  // "...": the folder the user picked, starting in the mod folders root;
  // nothing when he cancelled or picked a reserved one (then he was told).
  // A picked folder ends the proposals.
  std::optional<QString> PickModFolder();

  // What OK leads to.
  enum class TOkVerdict { Accept, FocusName, FocusServerURL, FocusStatsFeedURL, Stay };
  // Checks the dialog's values (AValues as SaveToTModFolder fills it) in the
  // order of OK, telling the user why when it refuses, and creates a missing
  // directory where the user wants it.
  TOkVerdict Ok(const TModFolder& AValues);

  // Whether AURL can be a server's stats feed: empty (no feed), or an http or
  // https address whose path ends in dedicated-server-stats.xml. Only its
  // form: nothing is fetched.
  static bool IsStatsFeedURL(const QString& AURL);

  // The game's own values for "Import settings from FS".
  struct TGameSettings {
    QString ModFolder;
    QString GameNameFilter;
    QString GamePassword;
  };
  TGameSettings GameSettings();

  // "Import Mod Folder button": the button file the user chose; nothing when
  // he cancelled or the file is for another generation (then he was told).
  std::optional<TModFolderButtonFile::TButton> ImportButtonFile();

private:
  QString NumberStr() const { return FSVersionToNumberStr(FFSVersion); }
  void ShowReservedMessage();

  TdmMain& FDataModule;
  TFSVersion FFSVersion;
  bool FEditMode = false;
  bool FGenerateSuggestedDir = true;
};

} // namespace tilvane
