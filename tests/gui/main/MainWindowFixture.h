#pragma once

#include "UpdateTestSupport.h"

#include "datamodule/MainDM.h"
#include "gui/main/MainFM.h"
#include "support/TestEnvironment.h"
#include "windowlogic/MainDialogs.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace tilvane::test {

// The editing dialogs, answered by the test and counted.
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

// Acts on the next modal window of class T as soon as it is shown, without
// blocking the test, which is waiting in the window's own event loop.
template <class T> void WhenShown(std::function<void(T*)> AAction) {
  auto* Poll = new QTimer;
  auto Deadline = std::make_shared<int>(2000); // 20 s in 10 ms steps
  QObject::connect(Poll, &QTimer::timeout, Poll, [Poll, AAction, Deadline] {
    if (auto* Window = qobject_cast<T*>(QApplication::activeModalWidget())) {
      Poll->deleteLater();
      Poll->stop();
      AAction(Window);
    } else if (--*Deadline <= 0) {
      Poll->deleteLater();
      Poll->stop();
    }
  });
  Poll->start(10);
}

// A sandbox with games installed as the test says, a stand-in server, and
// the main window on the fake platform.
class MainWindowTest : public ::testing::Test {
protected:
  MainWindowTest();

  static QString Folder(TFSVersion AFSVersion);
  QString Executable(TFSVersion AFSVersion) const;
  QString GameSettings(TFSVersion AFSVersion) const;
  // The game's executable and its settings file, known to the program.
  void Install(TFSVersion AFSVersion);
  // The mod folders of a generation, written before the window reads them.
  void SetFolders(TFSVersion AFSVersion, const std::vector<TModFolder>& AFolders);
  TModFolder MakeFolder(const QString& AName, bool AWithServer = false) const;

  // Opens and shows the main window and lets its first timers fire;
  // `ABeforeShow` runs between the window's creation and its first events.
  TfmMain& Open(const std::function<void(TfmMain&)>& ABeforeShow = {});
  // Processes events for a moment: queued redraws and timers.
  static void Settle(int AMilliseconds = 30) { QTest::qWait(AMilliseconds); }

  std::vector<std::exception_ptr> Reported;
  TestEnvironment Env;
  TTestServer Server;
  TRecordingDialogs Dialogs;
  bool Shift = false;
  std::unique_ptr<TfmMain> Window;
};

} // namespace tilvane::test
