#pragma once

#include "windowlogic/MainDialogs.h"

namespace tilvane {

// The editing dialogs before they exist: each request is answered as if the
// player had cancelled it.
class TPendingDialogs : public IMainDialogs {
public:
  bool ShowSettings(QWidget*) override { return false; }
  std::optional<TModFolder> NewModFolder(QWidget*, TFSVersion) override { return std::nullopt; }
  bool EditModFolder(QWidget*, TFSVersion, TModFolder&) override { return false; }
  void ExportModFolder(QWidget*, TFSVersion, const TModFolder&) override {}
  void ShowDeveloperInfo(QWidget*) override {}
};

} // namespace tilvane
