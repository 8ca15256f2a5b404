#pragma once

#include "core/server/ServerPageViewer.h"

namespace tilvane {

class IPromptService;

// Shows an unreadable server page in the "Mod page not detected" window,
// owned by the active window.
class TUnknownModPageViewer : public IServerPageViewer {
public:
  explicit TUnknownModPageViewer(IPromptService& APrompts) : FPrompts(APrompts) {}

  void ShowUnknownModPage(const QString& APage, const QString& ASaveFolder) override;

private:
  IPromptService& FPrompts;
};

} // namespace tilvane
