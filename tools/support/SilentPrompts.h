#pragma once

#include "core/common/PromptService.h"

namespace tilvane::tools {

// For programs that run the windows with nobody there to answer: every box is
// passed over, every question gets its preselected answer, every dialog is
// cancelled.
class TSilentPrompts : public IPromptService {
public:
  void ShowMessage(const QString&, TMessageKind) override {}
  bool AskYesNo(const QString&, bool AYesIsDefault) override { return AYesIsDefault; }
  QString OpenFile(const TFileDialogOptions&) override { return {}; }
  QString SaveFile(const TFileDialogOptions&) override { return {}; }
  QString PickFolder(const QString&, const QString&) override { return {}; }
};

} // namespace tilvane::tools
