#include "core/update/HandOverPromptService.h"

#include "core/update/UiHandOver.h"

namespace tilvane {

THandOverPromptService::THandOverPromptService(IPromptService& ATarget, TUiHandOver& AHandOver)
    : FTarget(ATarget), FHandOver(AHandOver) {}

void THandOverPromptService::ShowMessage(const QString& AText, TMessageKind AKind) {
  FHandOver.Run([&] { FTarget.ShowMessage(AText, AKind); });
}

bool THandOverPromptService::AskYesNo(const QString& AText, bool AYesIsDefault) {
  bool Answer = false;
  FHandOver.Run([&] { Answer = FTarget.AskYesNo(AText, AYesIsDefault); });
  return Answer;
}

QString THandOverPromptService::OpenFile(const TFileDialogOptions& AOptions) {
  QString Path;
  FHandOver.Run([&] { Path = FTarget.OpenFile(AOptions); });
  return Path;
}

QString THandOverPromptService::SaveFile(const TFileDialogOptions& AOptions) {
  QString Path;
  FHandOver.Run([&] { Path = FTarget.SaveFile(AOptions); });
  return Path;
}

QString THandOverPromptService::PickFolder(const QString& ATitle, const QString& AInitialFolder) {
  QString Path;
  FHandOver.Run([&] { Path = FTarget.PickFolder(ATitle, AInitialFolder); });
  return Path;
}

} // namespace tilvane
