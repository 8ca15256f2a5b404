#include "windowlogic/SettingsLogic.h"

#include "windowlogic/CommandLineLogic.h"

#include "core/common/Paths.h"
#include "core/update/UpdateModsTask.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tilvane {

namespace {

bool FileExists(const QString& APath) {
  return QFileInfo(APath).isFile();
}

} // namespace

TSettingsLogic::TSettingsLogic(TdmMain& ADataModule) : FDataModule(ADataModule) {}

TSettingsLogic::TValues TSettingsLogic::Load() {
  TValues Values;
  for (const TFSVersion FSVersion : AllFSVersions) {
    // The location is a file that exists, or empty.
    Values.Location(FSVersion) = FDataModule.GetFSProgramLocation(FSVersion);
  }
  Values.ModFolders = FDataModule.GetModManagerModFolders();
  QStringList ProtonLines;
  for (const TFSVersion FSVersion : AllFSVersions) {
    const QString Prefix = FDataModule.GetFSProtonPrefix(FSVersion);
    if (!Prefix.isEmpty())
      ProtonLines.append(FSTabCaption(FSVersion) + QStringLiteral(" runs under Proton, prefix ") +
                         Prefix);
  }
  Values.ProtonNote = ProtonLines.join(QLatin1Char('\n'));
  if (const std::optional<TFSVersion> Source = NameSource(Values)) {
    Values.InGameName = FDataModule.GetFSInGameName(*Source);
    Values.EnableDevConsole = FDataModule.GetFSEnableDevConsole(*Source);
  }
  return Values;
}

std::optional<TFSVersion> TSettingsLogic::NameSource(const TValues& AValues) {
  for (const TFSVersion FSVersion : AllFSVersions) {
    if (!AValues.Location(FSVersion).isEmpty())
      return FSVersion;
  }
  return std::nullopt;
}

std::optional<TSettingsLogic::TRefusal> TSettingsLogic::Check(const TValues& AValues) {
  if (AValues.InGameName.isEmpty())
    return TRefusal{std::nullopt, QStringLiteral("In game name can not be blank.")};
  for (const TFSVersion FSVersion : AllFSVersions) {
    const QString& Location = AValues.Location(FSVersion);
    // The file may have gone since it was picked.
    if (!Location.isEmpty() && !FileExists(Location))
      return TRefusal{FSVersion, QStringLiteral("Enter the location of ") + FSExeName(FSVersion)};
  }
  return std::nullopt;
}

void TSettingsLogic::Store(const TValues& AValues) {
  for (const TFSVersion FSVersion : AllFSVersions)
    FDataModule.SetFSProgramLocation(FSVersion, AValues.Location(FSVersion));
  FDataModule.SetModManagerModFolders(AValues.ModFolders);
  // Every game gets the name and console, also one without a location: its
  // files are there when the player points the program at it later. A game
  // without its settings files is left alone by the data module.
  for (const TFSVersion FSVersion : AllFSVersions) {
    FDataModule.SetFSInGameName(FSVersion, AValues.InGameName);
    FDataModule.SetFSEnableDevConsole(FSVersion, AValues.EnableDevConsole);
  }
  // Last: a failure above leaves the theme as it was stored, so the next
  // start does not show a look the player never confirmed.
  FDataModule.SetTheme(AValues.Theme);
}

TFileDialogOptions TSettingsLogic::LocationDialog(TFSVersion AFSVersion, const QString& ACurrent) {
  const QString ExeName = FSExeName(AFSVersion);
  TFileDialogOptions Options;
  Options.Title = QStringLiteral("Location of ") + ExeName;
  // The mask is the file name itself: no other file can be picked.
  Options.FileTypes = {{FSTabCaption(AFSVersion), ExeName}};
  if (!ACurrent.isEmpty())
    Options.InitialFolder = QFileInfo(ACurrent).path();
  return Options;
}

std::vector<TSettingsLogic::TLaunchOption>
TSettingsLogic::LaunchOptions(const QString& AProgram) const {
  std::vector<TLaunchOption> Options;
  for (const TFSVersion FSVersion : AllFSVersions) {
    for (const auto& Folder : FDataModule.ReadModFolders(FSVersion))
      Options.push_back({FSTabCaption(FSVersion) + QStringLiteral(": ") + Folder->Name,
                         SteamLaunchOption(AProgram, Folder->Name)});
  }
  return Options;
}

QStringList TSettingsLogic::ModFoldersOnDisk() const {
  QStringList Folders;
  for (const TFSVersion FSVersion : AllFSVersions) {
    for (const auto& Folder : FDataModule.ReadModFolders(FSVersion)) {
      const QString Path = QDir::cleanPath(Folder->Folder);
      if (!Folder->Folder.isEmpty() && QFileInfo(Path).isDir() && !Folders.contains(Path))
        Folders << Path;
    }
  }
  return Folders;
}

QString TSettingsLogic::StateFolder() const {
  return JoinPath(FromPlatform(FDataModule.Platform().LocalAppDataFolder()),
                  QStringLiteral("Tilvane"));
}

QString TSettingsLogic::SharingText(int ADuplicates, qint64 ABytesToFree) {
  if (ADuplicates == 0)
    return QStringLiteral("No two mod folders hold the same mod archive.");
  return QStringLiteral("%1 mod archives are held by more than one folder: sharing them would "
                        "free %2.")
      .arg(ADuplicates)
      .arg(FormatDiskSize(ABytesToFree));
}

QString TSettingsLogic::SharedText(int ALinked, const QStringList& AFailures) {
  QString Text =
      QStringLiteral("%1 mod archives now share one copy with another folder.").arg(ALinked);
  if (!AFailures.isEmpty())
    Text += QStringLiteral("\r\nNot shared:\r\n") + AFailures.join(QStringLiteral("\r\n"));
  return Text;
}

} // namespace tilvane
