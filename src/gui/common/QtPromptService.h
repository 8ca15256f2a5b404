#pragma once

#include "core/common/PromptService.h"

class QWidget;

namespace tilvane {

// The prompt service of the running program: Qt message boxes and file
// dialogs, parented to the active window and captioned "Tilvane".
class TQtPromptService : public IPromptService {
public:
  void ShowMessage(const QString& AText, TMessageKind AKind = TMessageKind::Plain) override;
  bool AskYesNo(const QString& AText, bool AYesIsDefault = true) override;
  QString OpenFile(const TFileDialogOptions& AOptions) override;
  QString SaveFile(const TFileDialogOptions& AOptions) override;
  QString PickFolder(const QString& ATitle, const QString& AInitialFolder) override;
};

} // namespace tilvane
