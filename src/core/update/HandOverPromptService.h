#pragma once

#include "core/common/PromptService.h"

namespace tilvane {

class TUiHandOver;

// A prompt service for a worker thread: each box or dialog is shown by the
// target service on the user-interface thread while the worker waits. Once the
// hand-over is detached, messages are dropped and questions answer No.
class THandOverPromptService : public IPromptService {
public:
  THandOverPromptService(IPromptService& ATarget, TUiHandOver& AHandOver);

  void ShowMessage(const QString& AText, TMessageKind AKind = TMessageKind::Plain) override;
  bool AskYesNo(const QString& AText, bool AYesIsDefault = true) override;
  QString OpenFile(const TFileDialogOptions& AOptions) override;
  QString SaveFile(const TFileDialogOptions& AOptions) override;
  QString PickFolder(const QString& ATitle, const QString& AInitialFolder) override;

private:
  IPromptService& FTarget;
  TUiHandOver& FHandOver;
};

} // namespace tilvane
