#include "core/update/HandOverPromptService.h"

#include "core/update/UiHandOver.h"

namespace tilvane {

THandOverPromptService::THandOverPromptService(IPromptService& ATarget, TUiHandOver& AHandOver)
    : FTarget(ATarget), FHandOver(AHandOver) {}

void THandOverPromptService::ShowMessage(const QString& text, TMessageKind kind) {
  FHandOver.Run([&] { FTarget.ShowMessage(text, kind); });
}

bool THandOverPromptService::AskYesNo(const QString& text, bool yesIsDefault) {
  bool Answer = false;
  FHandOver.Run([&] { Answer = FTarget.AskYesNo(text, yesIsDefault); });
  return Answer;
}

QString THandOverPromptService::OpenFile(const TFileDialogOptions& options) {
  QString Path;
  FHandOver.Run([&] { Path = FTarget.OpenFile(options); });
  return Path;
}

QString THandOverPromptService::SaveFile(const TFileDialogOptions& options) {
  QString Path;
  FHandOver.Run([&] { Path = FTarget.SaveFile(options); });
  return Path;
}

QString THandOverPromptService::PickFolder(const QString& title, const QString& initialFolder) {
  QString Path;
  FHandOver.Run([&] { Path = FTarget.PickFolder(title, initialFolder); });
  return Path;
}

} // namespace tilvane
