#include "windowlogic/MainWindowLogic.h"

#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"

#include <cmath>

namespace tilvane {

namespace {

const QString ActiveTabValue = QStringLiteral("ActiveTab");

} // namespace

TMainWindowLogic::TMainWindowLogic(TdmMain& ADataModule) : FDataModule(ADataModule) {}

TMainWindowLogic::TTabs TMainWindowLogic::Tabs(bool ARestoreSelection) {
  TTabs Tabs;
  for (const TFSVersion FSVersion : AllFSVersions) {
    // No file test here: the stored location decides.
    if (FDataModule.GetFSShowTab(FSVersion) &&
        !FDataModule.GetFSProgramLocation(FSVersion).isEmpty())
      Tabs.Captions.append(FSTabCaption(FSVersion));
  }
  Tabs.Selected = static_cast<int>(Tabs.Captions.size()) - 1;
  if (ARestoreSelection && Tabs.Captions.size() >= 2) {
    const QString Remembered =
        FDataModule.GetFormString(ClassName(), ActiveTabValue, Tabs.Captions[Tabs.Selected]);
    const qsizetype Index = Tabs.Captions.indexOf(Remembered);
    if (Index >= 0)
      Tabs.Selected = static_cast<int>(Index);
  }
  return Tabs;
}

void TMainWindowLogic::RememberTab(const QString& ACaption) {
  FDataModule.SetFormString(ClassName(), ActiveTabValue, ACaption);
}

TFSVersion TMainWindowLogic::FSVersionOfTab(const QString& ACaption, bool AHasTab) {
  if (!AHasTab)
    return TFSVersion::fsv25;
  for (const TFSVersion FSVersion : AllFSVersions) {
    if (ACaption == FSTabCaption(FSVersion))
      return FSVersion;
  }
  throw EAppError(QStringLiteral("Unknown Farming Simulator version: ") + ACaption);
}

int TMainWindowLogic::WindowHeight(const THeight& AHeight) {
  const int Frames = AHeight.Folders * AHeight.FrameHeight;
  const int Height =
      static_cast<int>(std::trunc((Frames + AHeight.HeaderHeight) * AHeight.Dpi / 96.0)) +
      AHeight.NonClientHeight + AHeight.TabHeight;
  // More buttons than the monitor holds: the button area scrolls.
  if (AHeight.WorkAreaHeight > 0 && AHeight.WorkAreaHeight < Height)
    return AHeight.WorkAreaHeight;
  return Height;
}

void TMainWindowLogic::DeleteShaderCache(TFSVersion AFSVersion) {
  if (FDataModule.IsFSRunning(AFSVersion)) {
    FDataModule.Prompts().ShowMessage(
        QStringLiteral("Can not start delete sharder cache while Farming Simulator ") +
        FSVersionToNumberStr(AFSVersion) + QStringLiteral(" is running."));
    return;
  }
  FDataModule.DeleteShaderCache(AFSVersion);
}

void TMainWindowLogic::DeleteLogFile(TFSVersion AFSVersion) {
  if (FDataModule.IsFSRunning(AFSVersion)) {
    FDataModule.Prompts().ShowMessage(
        QStringLiteral("Can not start delete log file while Farming Simulator ") +
        FSVersionToNumberStr(AFSVersion) + QStringLiteral(" is running."));
    return;
  }
  FDataModule.DeleteLogFile(AFSVersion);
}

QString TMainWindowLogic::NoGameDetectedMessage() {
  return QStringLiteral("Unable to detect if Farming Simulator was installed.");
}

QString TMainWindowLogic::AddModFolderWithoutGameMessage() {
  return QStringLiteral("Unable find Farming Simulator. Help me locate it.");
}

} // namespace tilvane
