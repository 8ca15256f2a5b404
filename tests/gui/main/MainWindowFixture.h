#pragma once

#include "datamodule/MainDM.h"
#include "gui/main/MainFM.h"
#include "support/GameFolders.h"
#include "support/RecordingDialogs.h"
#include "support/TestEnvironment.h"
#include "support/UpdateTestSupport.h"
#include "support/WhenShown.h"
#include "support/WidgetChild.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tilvane::test {

// A sandbox with games installed as the test says, a stand-in server, and
// the main window on the fake platform.
class MainWindowTest : public ::testing::Test {
protected:
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
  TGameFolders Games{Env};
  TTestServer Server;
  TRecordingDialogs Dialogs;
  bool Shift = false;
  std::unique_ptr<TfmMain> Window;
};

} // namespace tilvane::test
