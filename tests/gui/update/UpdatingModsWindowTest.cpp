#include "SyncWindowFixture.h"
#include "support/UpdateTestSupport.h"

#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "gui/update/UpdatingModsFM.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

class UpdatingModsWindowTest : public TSyncWindowFixture {
protected:
  UpdatingModsWindowTest() : TSyncWindowFixture(QStringLiteral("My Server")) {}
  // Shows the window and waits (without blocking the event loop) until it closes.
  int ShowAndWait(TfmUpdatingMods& AWindow) {
    QSignalSpy Finished(&AWindow, &QDialog::finished);
    AWindow.show();
    EXPECT_TRUE(Finished.wait(20000));
    return AWindow.result();
  }
};

TEST_F(UpdatingModsWindowTest, ControlsCarryTheirNames) {
  TfmUpdatingMods Window(nullptr, Folder, TFSVersion::fsv25, DataModule);
  EXPECT_EQ(Window.windowTitle(), QStringLiteral("Update mods for My Server"));
  for (const char* Name :
       {"lblStatus1", "lblFiles", "lblSizeMB", "lblFileName", "lblFileSizeMB", "lblSpeed",
        "lblFinishTime", "Label14", "lblStatus2", "Label5", "Label10", "Label11", "Label4",
        "Label9", "Label1", "Label2", "lblRemovedCaption", "lblRemoved"})
    EXPECT_NO_THROW(Child<QLabel>(Window, Name)) << Name;
  for (const char* Name : {"pbFilePercent", "pbCompletePercent"})
    EXPECT_NO_THROW(Child<QProgressBar>(Window, Name)) << Name;
  EXPECT_EQ(Child<QTimer>(Window, "tmrFinished").interval(), 250);
  EXPECT_TRUE(Child<QLabel>(Window, "lblFiles").text().isEmpty());
}

TEST_F(UpdatingModsWindowTest, RunsToOkAndShowsTheLastArchive) {
  Folder.RemoveModsNotOnServer = true;
  MakeModArchive(Env.PathOf(QStringLiteral("mods/Stray.zip")), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  TfmUpdatingMods Window(nullptr, Folder, TFSVersion::fsv25, DataModule);
  // An archive went to the trash: the window waits with the counts until
  // the player closes it.
  // Found here, not in the player's handler: a missing control fails the
  // test before the window's event loop runs.
  auto& Close = Child<QPushButton>(Window, "btnCancel");
  const auto& Removed = Child<QLabel>(Window, "lblRemoved");
  const auto& Status = Child<QLabel>(Window, "lblStatus1");
  const auto& Complete = Child<QProgressBar>(Window, "pbCompletePercent");
  const auto& FinishTime = Child<QLabel>(Window, "lblFinishTime");
  const auto& Pause = Child<QPushButton>(Window, "btnPause");
  QString Waited;
  QTimer Player;
  QObject::connect(&Player, &QTimer::timeout, &Window, [&] {
    if (Close.text() != QStringLiteral("Close") || !Close.isEnabled())
      return;
    Waited = Removed.text();
    EXPECT_EQ(Status.text(), QStringLiteral("The folder is in line with the server."));
    EXPECT_EQ(Complete.value(), 100);
    EXPECT_TRUE(FinishTime.text().isEmpty());
    EXPECT_FALSE(Pause.isVisible());
    Close.click();
  });
  Player.start(20);
  EXPECT_EQ(ShowAndWait(Window), QDialog::Accepted);
  EXPECT_EQ(Waited, QStringLiteral("1 mod archive moved to the trash"));
  EXPECT_TRUE(Window.FinishedUpdating());
  EXPECT_EQ(Child<QLabel>(Window, "lblFileName").text(), QStringLiteral("A.zip"));
  EXPECT_EQ(Child<QLabel>(Window, "lblFiles").text(), QStringLiteral("1 of 1"));
  EXPECT_TRUE(QFile::exists(Env.PathOf(QStringLiteral("mods/A.zip"))));
  EXPECT_EQ(Removed.text(), QStringLiteral("1 mod archive moved to the trash"));
}

TEST_F(UpdatingModsWindowTest, PauseAndCancelButtons) {
  Server.SetFile(QStringLiteral("A.zip"), QByteArray(300 * 1024, 'c'));
  Server.SetSlow(2048, 5);
  TfmUpdatingMods Window(nullptr, Folder, TFSVersion::fsv25, DataModule);
  auto& Pause = Child<QPushButton>(Window, "btnPause");
  auto& Cancel = Child<QPushButton>(Window, "btnCancel");
  QTimer::singleShot(300, &Window, [&] {
    Pause.click();
    EXPECT_EQ(Pause.text(), QStringLiteral("Paused"));
    EXPECT_TRUE(Window.Task().Paused());
    Cancel.click();
    EXPECT_EQ(Cancel.text(), QStringLiteral("Cancelling"));
    EXPECT_FALSE(Cancel.isEnabled());
  });
  EXPECT_EQ(ShowAndWait(Window), QDialog::Rejected);
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

TEST_F(UpdatingModsWindowTest, FinalMessageAndUnhandledError) {
  Server.SetPage(QStringLiteral("<title>Farming Simulator Dedicated Server | Login</title>"));
  {
    TfmUpdatingMods Window(nullptr, Folder, TFSVersion::fsv25, DataModule);
    EXPECT_EQ(ShowAndWait(Window), QDialog::Rejected);
    ASSERT_EQ(Env.Prompts().Messages().size(), 1);
    EXPECT_TRUE(
        Env.Prompts().Messages().first().endsWith(QStringLiteral("Unable to log into server.")));
  }
  // A folder that cannot be made (a file stands in its way): the window
  // closes with Cancel and the error goes to the program's report, not out of
  // the poll.
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  WriteFile(Env.PathOf(QStringLiteral("blocked")), "a file");
  Folder.Folder = Env.PathOf(QStringLiteral("blocked/mods"));
  TfmUpdatingMods Window(nullptr, Folder, TFSVersion::fsv25, DataModule);
  Child<QTimer>(Window, "tmrFinished").stop();
  Window.Task().Start();
  // The worker hands its status lines to this thread: keep it serving them.
  for (int i = 0; i < 1000 && !Window.Task().Ended(); ++i)
    QTest::qWait(10);
  ASSERT_TRUE(Window.Task().Ended());
  QSignalSpy Finished(&Window, &QDialog::finished);
  EXPECT_NO_THROW(Window.tmrFinishedTimer());
  EXPECT_EQ(Finished.size(), 1);
  EXPECT_EQ(Window.result(), QDialog::Rejected);
  ASSERT_EQ(Reported.size(), 1u);
  try {
    std::rethrow_exception(Reported[0]);
  } catch (const EAppError& Error) {
    EXPECT_EQ(Error.Message(), QLatin1String("Unable to create folder ") + Folder.Folder);
  }
}

} // namespace
} // namespace tilvane::test
