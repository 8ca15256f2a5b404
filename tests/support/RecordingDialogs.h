#pragma once

#include "core/modfolders/ModFolder.h"
#include "windowlogic/MainDialogs.h"

#include <QStringList>

#include <optional>

namespace tilvane::test {

// The main window's editing dialogs, answered by the test and counted.
class TRecordingDialogs : public IMainDialogs {
public:
  bool ShowSettings(QWidget*) override {
    ++SettingsRequests;
    return SettingsAnswer;
  }
  std::optional<TModFolder> NewModFolder(QWidget*, TFSVersion) override {
    ++NewRequests;
    return NewAnswer;
  }
  bool EditModFolder(QWidget*, TFSVersion, TModFolder& AModFolder) override {
    if (!EditAnswer)
      return false;
    AModFolder = *EditAnswer;
    return true;
  }
  void ExportModFolder(QWidget*, TFSVersion, const TModFolder& AModFolder) override {
    Exported.append(AModFolder.Name);
  }
  void ShowDeveloperInfo(QWidget*) override { ++DeveloperInfoRequests; }

  int SettingsRequests = 0;
  bool SettingsAnswer = false;
  int NewRequests = 0;
  std::optional<TModFolder> NewAnswer;
  std::optional<TModFolder> EditAnswer;
  QStringList Exported;
  int DeveloperInfoRequests = 0;
};

} // namespace tilvane::test
