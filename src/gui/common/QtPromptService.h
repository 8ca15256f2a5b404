#pragma once

#include "core/common/PromptService.h"

class QWidget;

namespace tilvane {

// The prompt service of the running program: Qt message boxes and file
// dialogs, parented to the active window and captioned "Tilvane".
class QtPromptService : public IPromptService {
public:
  void ShowMessage(const QString& text, TMessageKind kind = TMessageKind::Plain) override;
  bool AskYesNo(const QString& text, bool yesIsDefault = true) override;
  QString OpenFile(const TFileDialogOptions& options) override;
  QString SaveFile(const TFileDialogOptions& options) override;
  QString PickFolder(const QString& title, const QString& initialFolder) override;
};

} // namespace tilvane
