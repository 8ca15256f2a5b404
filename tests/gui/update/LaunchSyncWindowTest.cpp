// The small window of a sync started from Steam's launch option: buttons
// only, and on failure the choice between starting the game anyway and
// quitting.
#include "SyncWindowFixture.h"
#include "support/UpdateTestSupport.h"

#include "datamodule/MainDM.h"
#include "gui/update/LaunchSyncFM.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

using TResult = TfmLaunchSync::TResult;

class LaunchSyncWindowTest : public TSyncWindowFixture {
protected:
  LaunchSyncWindowTest() : TSyncWindowFixture(QStringLiteral("Server A")) {}

  // Shows the window; AOnFailure runs once the failure buttons show.
  void RunUntilClosed(TfmLaunchSync& AWindow, const std::function<void()>& AOnFailure = {}) {
    QSignalSpy Finished(&AWindow, &QDialog::finished);
    QTimer Player;
    auto& Quit = Child<QPushButton>(AWindow, "btnQuit");
    QObject::connect(&Player, &QTimer::timeout, &AWindow, [&] {
      if (Quit.isVisible() && AOnFailure) {
        Player.stop();
        AOnFailure();
      }
    });
    Player.start(20);
    AWindow.show();
    EXPECT_TRUE(Finished.wait(20000));
  }
};

TEST_F(LaunchSyncWindowTest, ButtonsOnlyAndClosesOnceInLine) {
  TfmLaunchSync Window(DataModule, Folder, TFSVersion::fsv25, true);
  EXPECT_EQ(Window.windowTitle(), QStringLiteral("Tilvane: Server A"));
  EXPECT_TRUE(Window.findChildren<QLineEdit*>().isEmpty());
  const struct {
    const char* Name;
    const char* Text;
  } Buttons[] = {{"btnPause", "Pause"},
                 {"btnCancel", "Cancel"},
                 {"btnStartAnyway", "Start anyway"},
                 {"btnQuit", "Quit"}};
  for (const auto& Button : Buttons)
    EXPECT_EQ(Child<QPushButton>(Window, Button.Name).text(), QString::fromUtf8(Button.Text));
  RunUntilClosed(Window);
  EXPECT_EQ(Window.Result(), TResult::InLine);
  EXPECT_EQ(Window.result(), QDialog::Accepted);
  EXPECT_TRUE(QFileInfo::exists(Env.PathOf(QStringLiteral("mods/A.zip"))));
}

TEST_F(LaunchSyncWindowTest, AFailedSyncOffersStartAnywayOrQuit) {
  const struct {
    const char* Case;
    bool CanStartAnyway;
    const char* Click;
    TResult Result;
  } Cases[] = {
      {"quit", true, "btnQuit", TResult::Quit},
      {"start anyway", true, "btnStartAnyway", TResult::StartAnyway},
      {"only quit without a game to start", false, "btnQuit", TResult::Quit},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Case);
    Server.SetPage(QStringLiteral("<html><body>Maintenance</body></html>"));
    TfmLaunchSync Window(DataModule, Folder, TFSVersion::fsv25, Case.CanStartAnyway);
    bool StartAnywayShown = false;
    RunUntilClosed(Window, [&] {
      StartAnywayShown = Child<QPushButton>(Window, "btnStartAnyway").isVisible();
      EXPECT_FALSE(Child<QPushButton>(Window, "btnCancel").isVisible());
      EXPECT_FALSE(Child<QLabel>(Window, "lblFailure").text().isEmpty());
      Child<QPushButton>(Window, Case.Click).click();
    });
    EXPECT_EQ(StartAnywayShown, Case.CanStartAnyway);
    EXPECT_EQ(Window.Result(), Case.Result);
    EXPECT_FALSE(Window.FailureText().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(Env.PathOf(QStringLiteral("mods/A.zip"))));
  }
}

TEST_F(LaunchSyncWindowTest, CancelEndsTheSyncWithoutStartingAnything) {
  Server.SetSlow(64, 100);
  TfmLaunchSync Window(DataModule, Folder, TFSVersion::fsv25, true);
  // Once the archive's download is under way.
  QTimer Player;
  QObject::connect(&Player, &QTimer::timeout, &Window, [&] {
    if (Child<QLabel>(Window, "lblFileName").text().isEmpty())
      return;
    Player.stop();
    Child<QPushButton>(Window, "btnCancel").click();
  });
  Player.start(20);
  RunUntilClosed(Window);
  EXPECT_EQ(Window.Result(), TResult::Cancelled);
  EXPECT_EQ(Window.result(), QDialog::Rejected);
}

} // namespace
} // namespace tilvane::test
