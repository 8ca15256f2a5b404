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

  void ShowMessage(const QString& text, TMessageKind kind = TMessageKind::Plain) override;
  bool AskYesNo(const QString& text, bool yesIsDefault = true) override;
  QString OpenFile(const TFileDialogOptions& options) override;
  QString SaveFile(const TFileDialogOptions& options) override;
  QString PickFolder(const QString& title, const QString& initialFolder) override;

private:
  IPromptService& FTarget;
  TUiHandOver& FHandOver;
};

} // namespace tilvane
