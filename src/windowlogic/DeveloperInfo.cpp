#include "windowlogic/DeveloperInfo.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/game/GameSettingsFiles.h"
#include "datamodule/MainDM.h"

#include <exception>

namespace tilvane {

TDeveloperInfo::TDeveloperInfo(TdmMain& ADataModule) : FDataModule(ADataModule) {}

void TDeveloperInfo::Build() {
  FLines.clear();
  AddStr(QStringLiteral("ModManager ModFolders"), FDataModule.GetModManagerModFolders());
  BlankLine();
  AddGame(TFSVersion::fsv22);
  BlankLine();
  AddGame(TFSVersion::fsv19);
}

void TDeveloperInfo::AddGame(TFSVersion AFSVersion) {
  const QString Prefix = FSTabCaption(AFSVersion) + QLatin1Char(' ');
  const QString MyGamesFolder = FDataModule.GetFSMyGamesFolder(AFSVersion);
  // The location as the game's documents say it should be; whether it is
  // there is asked the way the data module finds the file, ignoring letter
  // case, since the game's own spelling varies between versions.
  AddStr(Prefix + QStringLiteral("GameSettings.xml location"),
         JoinPath(MyGamesFolder, QStringLiteral("GameSettings.xml")));
  const bool Exists =
      !TGameSettingsFiles(MyGamesFolder, AFSVersion).GameSettingsFileName().isEmpty();
  AddBool(Prefix + QStringLiteral("GameSettings.xml exists"), Exists);
  if (Exists)
    AddWriteTest(Prefix + QStringLiteral("GameSettings.xml writable"), AFSVersion);
  AddBool(Prefix + QStringLiteral("Is Running"), FDataModule.IsFSRunning(AFSVersion));
  AddStr(Prefix + QStringLiteral("Program Location"), FDataModule.GetFSProgramLocation(AFSVersion));
  // Only where it applies: a game on Windows has no prefix to speak of.
  if (const QString ProtonPrefix = FDataModule.GetFSProtonPrefix(AFSVersion);
      !ProtonPrefix.isEmpty())
    AddStr(Prefix + QStringLiteral("Runs Under Proton, Prefix"), ProtonPrefix);
  AddStr(Prefix + QStringLiteral("My Games Folder"), MyGamesFolder);
  AddStr(Prefix + QStringLiteral("Active FS Mod Folder"), FDataModule.GetFSModFolder(AFSVersion));
  AddStr(Prefix + QStringLiteral("In Game Name"), FDataModule.GetFSInGameName(AFSVersion));
}

// The one way to know whether the program may write the file is to write
// it, so the name is written back as it was read.
void TDeveloperInfo::AddWriteTest(const QString& AName, TFSVersion AFSVersion) {
  QString Reason;
  try {
    const QString InGameName = FDataModule.GetFSInGameName(AFSVersion);
    FDataModule.SetFSInGameName(AFSVersion, InGameName);
    AddBool(AName, true);
    return;
  } catch (const EAppError& E) {
    Reason = E.Message();
  } catch (const std::exception& E) {
    Reason = ExceptionText(E);
  }
  // Nothing follows the reason: a message that runs over several lines
  // would leave a closing bracket alone on its last one.
  AddStr(AName, QStringLiteral("False (Err: ") + Reason);
}

void TDeveloperInfo::AddStr(const QString& AName, const QString& AValue) {
  // A longer name pushes its value further right rather than being cut.
  const QString Label = (AName + QStringLiteral(": ")).leftJustified(ValueColumn);
  FLines.append(Label + AValue);
}

void TDeveloperInfo::AddBool(const QString& AName, bool AValue) {
  AddStr(AName, AValue ? QStringLiteral("True") : QStringLiteral("False"));
}

void TDeveloperInfo::BlankLine() {
  FLines.append(QString());
}

QStringList DeveloperInfoLines(TdmMain& ADataModule) {
  TDeveloperInfo Info(ADataModule);
  Info.Build();
  return Info.Lines();
}

} // namespace tilvane
