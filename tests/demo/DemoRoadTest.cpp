// The demo's road without a screen, on the program as players start it: the
// sandbox installation, the demo server, and RunTilvane on the system
// platform. One click on the folder that follows the server syncs it,
// points the game's settings at it and starts the stand-in game, whose log
// the log viewer then follows; a change on the server is brought in by the
// update entry of the button's menu.
#include "DemoFolders.h"
#include "DemoServer.h"
#include "SandboxInstallation.h"

#include "app/Program.h"
#include "datamodule/MainDM.h"
#include "gui/dialogs/StartingFSFM.h"
#include "gui/logviewer/LogEditor.h"
#include "gui/logviewer/LogViewerFM.h"
#include "gui/logviewer/LogViewerInstance.h"
#include "gui/main/MainFM.h"
#include "gui/main/ModFolderFR.h"
#include "gui/update/UpdatingModsFM.h"
#include "support/WidgetChild.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace tilvane::demo {
namespace {

QByteArray ReadAll(const QString& APath) {
  QFile File(APath);
  return File.open(QIODevice::ReadOnly) ? File.readAll() : QByteArray();
}

bool WaitUntil(const std::function<bool()>& ACondition, int AMilliseconds) {
  QElapsedTimer Clock;
  Clock.start();
  while (!ACondition()) {
    if (Clock.elapsed() > AMilliseconds)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(10);
  }
  return true;
}

// What the modal windows showed while the road was walked. Boxes and
// unexpected windows are closed at once so that the road never stalls; each
// one is a finding.
struct TModalWatch {
  QStringList Messages;
  int UpdateWindows = 0;
  QList<int> CompletePercents; // each distinct value of the update window's bar
  int StartingNotices = 0;
  QStringList Removals; // what each update window that waited for Close showed

  void Poll() {
    QWidget* Window = QApplication::activeModalWidget();
    if (auto* Box = qobject_cast<QMessageBox*>(Window)) {
      Messages.append(Box->text());
      Box->done(0);
    } else if (auto* Notice = qobject_cast<TfmStartingFS*>(Window)) {
      ++StartingNotices;
      Notice->accept();
    } else if (auto* Update = qobject_cast<TfmUpdatingMods*>(Window)) {
      if (LastUpdate != Update) {
        LastUpdate = Update;
        ++UpdateWindows;
      }
      // A missing bar shows as -1 among the percentages, a failure, not a crash.
      const auto* Bar = Update->findChild<QProgressBar*>(QStringLiteral("pbCompletePercent"));
      const int Percent = Bar ? Bar->value() : -1;
      if (CompletePercents.isEmpty() || CompletePercents.back() != Percent)
        CompletePercents.append(Percent);
      // A sync that removed archives waits for the player to read the counts.
      auto* Close = Update->findChild<QPushButton*>(QStringLiteral("btnCancel"));
      if (Close && Close->isEnabled() && Close->text() == QStringLiteral("Close")) {
        const auto* Removed = Update->findChild<QLabel*>(QStringLiteral("lblRemoved"));
        Removals.append(Removed ? Removed->text() : QStringLiteral("(no lblRemoved)"));
        Close->click();
      }
    } else if (auto* Other = qobject_cast<QDialog*>(Window)) {
      // Nothing else belongs on this road (the page diagnostics, the crash
      // report): noted, and closed so that the road goes on to its end.
      Messages.append(QLatin1String(Other->metaObject()->className()) + QStringLiteral(": ") +
                      Other->windowTitle());
      Other->reject();
    }
  }

private:
  QWidget* LastUpdate = nullptr;
};

class DemoRoadTest : public ::testing::Test {
protected:
  DemoRoadTest() {
    Sandbox.Create({QStringLiteral(TILVANE_DEMO_FAKE_GAME), 60});
    // Small archives at a limited rate: the bar still has steps to show.
    Server =
        std::make_unique<TDemoServer>(Root.filePath(QStringLiteral("server")),
                                      TDemoServer::TOptions{3LL * 1024 * 1024, 8LL * 1024 * 1024});
    Sandbox.Apply();
    WriteDemoFolders(Sandbox, *Server);
  }
  ~DemoRoadTest() override { Sandbox.StopGames(); }

  QString Served(const QString& AFileName) const {
    return Root.filePath(QStringLiteral("server/fs25/") + AFileName);
  }
  QString Synced(const QString& AFileName) const {
    return DemoFolderPath(Sandbox, TFSVersion::fsv25) + u'/' + AFileName;
  }

  void Walk(TfmMain& AMain);
  void ShowFS25(TfmMain& AMain);
  void ClickAndCheckTheSync(TfmMain& AMain);
  void FollowTheLog(TfmMain& AMain);
  void BringInTheServersChange(TfmMain& AMain);

  QTemporaryDir Root{QDir::tempPath() + QStringLiteral("/tilvane-road-XXXXXX")};
  TSandboxInstallation Sandbox{Root.path()};
  std::unique_ptr<TDemoServer> Server;
  TModalWatch Watch;
  std::atomic<const char*> Stage{"starting the program"};
};

void DemoRoadTest::ShowFS25(TfmMain& AMain) {
  auto& Tabs = test::Child<QTabBar>(AMain, "tabFS");
  QStringList Captions;
  for (int I = 0; I < Tabs.count(); ++I)
    Captions.append(Tabs.tabText(I));
  // Both games found through Steam's second library.
  ASSERT_EQ(Captions, (QStringList{QStringLiteral("FS22"), QStringLiteral("FS25")}));
  Tabs.setCurrentIndex(1);
  QCoreApplication::processEvents();
  ASSERT_EQ(AMain.Frames().size(), 2u);
  EXPECT_EQ(AMain.Frames()[0]->Logic().ModFolder().Name, QStringLiteral("Demo server FS25"));
}

void DemoRoadTest::ClickAndCheckTheSync(TfmMain& AMain) {
  const QByteArray FS22Settings = ReadAll(Sandbox.GameSettings(TFSVersion::fsv22));
  AMain.Frames()[0]->btnModFolderClick();

  EXPECT_EQ(Watch.Messages, QStringList());
  EXPECT_EQ(Watch.UpdateWindows, 1);
  EXPECT_GT(Watch.CompletePercents.size(), 2) << "the bar moved in steps";
  EXPECT_EQ(Watch.StartingNotices, 1);
  // Every archive of the list, byte for byte; the DLC has none.
  QStringList Expected;
  for (const TDemoMod& Mod : Server->Mods(TFSVersion::fsv25)) {
    if (Mod.Bytes == 0)
      continue;
    Expected.append(Mod.FileName);
    EXPECT_EQ(ReadAll(Synced(Mod.FileName)), ReadAll(Served(Mod.FileName)))
        << qPrintable(Mod.FileName);
  }
  EXPECT_EQ(Expected.size(), 7);
  EXPECT_EQ(QDir(DemoFolderPath(Sandbox, TFSVersion::fsv25)).entryList(QDir::Files, QDir::Name),
            (QStringList{
                QStringLiteral("FS25_HarvesterXL.zip"), QStringLiteral("FS25_HofUndStall.zip"),
                QStringLiteral("FS25_RepairPickup.zip"), QStringLiteral("FS25_ServiceTrailer.zip"),
                QStringLiteral("FS25_SiloExtension.zip"), QStringLiteral("FS25_TractorPack.zip"),
                QStringLiteral("FS25_ValleyCrestMap.zip")}));
  const QString Settings = QString::fromUtf8(ReadAll(Sandbox.GameSettings(TFSVersion::fsv25)));
  EXPECT_TRUE(
      Settings.contains(QStringLiteral("<modsDirectoryOverride active=\"true\" directory=\"") +
                        DemoFolderPath(Sandbox, TFSVersion::fsv25) + u'"'))
      << qPrintable(Settings);
  EXPECT_TRUE(Settings.contains(QStringLiteral("serverName=\"Tilvane demo\"")))
      << qPrintable(Settings);
  EXPECT_TRUE(Settings.contains(QStringLiteral("password=\"harvest\""))) << qPrintable(Settings);
  EXPECT_EQ(ReadAll(Sandbox.GameSettings(TFSVersion::fsv22)), FS22Settings);
  // Found through Steam's library list, and kept for the next start.
  EXPECT_EQ(AMain.DataModule()
                .GetIniFileForFS(TFSVersion::fsv25)
                .ReadString(QStringLiteral("Common"), QStringLiteral("FSProgramLocation"), {}),
            Sandbox.Executable(TFSVersion::fsv25));

  // The stand-in game runs under the game's process name, and the program
  // sees it as the game.
  ASSERT_TRUE(WaitUntil([&] { return AMain.DataModule().IsFSRunning(TFSVersion::fsv25); }, 10000));
  EXPECT_FALSE(AMain.DataModule().IsFSRunning(TFSVersion::fsv22));
  const QByteArray Pid = ReadAll(Sandbox.GamePidFile(TFSVersion::fsv25)).trimmed();
  EXPECT_TRUE(
      ReadAll(QStringLiteral("/proc/") + QString::fromLatin1(Pid) + QStringLiteral("/cmdline"))
          .startsWith(QByteArrayLiteral("FarmingSimulator2025Game.exe\0")));
}

void DemoRoadTest::FollowTheLog(TfmMain& AMain) {
  AMain.mniLogViewerClick();
  TfmLogViewer* Viewer = LogViewerInstance();
  ASSERT_NE(Viewer, nullptr);
  // The game read the settings the click wrote: it lists the synced mods.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return Viewer->edtLog->toPlainText().contains(
            QStringLiteral("Available mod: (Version: 1.0.0.0) FS25_ValleyCrestMap"));
      },
      10000))
      << qPrintable(Viewer->edtLog->toPlainText());
  const int Lines = Viewer->edtLog->blockCount();
  EXPECT_TRUE(WaitUntil([&] { return Viewer->edtLog->blockCount() > Lines + 2; }, 10000))
      << "the viewer follows the growing log";
  EXPECT_TRUE(WaitUntil(
      [&] { return Viewer->chkShowErrors->text() != QStringLiteral("Show errors (0)"); }, 15000));
  EXPECT_NE(Viewer->chkShowWarnings->text(), QStringLiteral("Show warnings (0)"));
  delete Viewer;
}

void DemoRoadTest::BringInTheServersChange(TfmMain& AMain) {
  Sandbox.StopGames();
  ASSERT_TRUE(WaitUntil([&] { return !AMain.DataModule().IsFSRunning(TFSVersion::fsv25); }, 10000));
  EXPECT_TRUE(ReadAll(Sandbox.LogFile(TFSVersion::fsv25)).endsWith("Application exit\r\n"));
  EXPECT_EQ(Server->Change(),
            QStringLiteral("FS22_ServiceTrailer.zip is now version 1.1.0.0; "
                           "FS22_RepairPickup.zip has a fixed archive, still version 1.0.0.0; "
                           "FS22_HofUndStall.zip left the list; "
                           "FS25_ServiceTrailer.zip is now version 1.1.0.0; "
                           "FS25_RepairPickup.zip has a fixed archive, still version 1.0.0.0; "
                           "FS25_HofUndStall.zip left the list"));
  QCoreApplication::processEvents(); // the queued redraw after the click
  ASSERT_FALSE(AMain.Frames().empty());
  test::Child<QAction>(*AMain.Frames()[0], "mniUpdateMods").trigger();

  EXPECT_EQ(Watch.Messages, QStringList());
  EXPECT_EQ(Watch.UpdateWindows, 2);
  EXPECT_EQ(ReadAll(Synced(QStringLiteral("FS25_ServiceTrailer.zip"))),
            ReadAll(Served(QStringLiteral("FS25_ServiceTrailer.zip"))));
  // Same version, other bytes: the feed's hash tells, as the game would.
  EXPECT_EQ(ReadAll(Synced(QStringLiteral("FS25_RepairPickup.zip"))),
            ReadAll(Served(QStringLiteral("FS25_RepairPickup.zip"))));
  EXPECT_EQ(Watch.Removals, QStringList{QStringLiteral("1 mod archive moved to the trash")});
  EXPECT_FALSE(QFile::exists(Synced(QStringLiteral("FS25_HofUndStall.zip"))));
  EXPECT_TRUE(QFile::exists(Sandbox.Home() +
                            QStringLiteral("/.local/share/Trash/files/FS25_HofUndStall.zip")));
}

void DemoRoadTest::Walk(TfmMain& AMain) {
  Stage = "showing the FS25 tab";
  ShowFS25(AMain);
  if (HasFatalFailure())
    return;
  Stage = "clicking the folder";
  ClickAndCheckTheSync(AMain);
  if (HasFatalFailure())
    return;
  Stage = "following the log";
  FollowTheLog(AMain);
  Stage = "updating after the server's change";
  BringInTheServersChange(AMain);
  Stage = "closing the program";
}

TEST_F(DemoRoadTest, OneClickSyncsStartsTheGameAndTheViewerFollowsItsLog) {
  ASSERT_TRUE(Root.isValid());
  // A road that stalls says where, well before the test's time is up.
  std::promise<void> Done;
  std::thread Watchdog([this, Ended = Done.get_future()] {
    if (Ended.wait_for(std::chrono::seconds(90)) == std::future_status::timeout) {
      std::fprintf(stderr, "The road stalled while %s.\n", Stage.load());
      std::_Exit(1);
    }
  });
  char Name[] = "tilvane";
  char* Arguments[] = {Name, nullptr};
  int Count = 1;
  const int Code = RunTilvane(Count, Arguments, [this](TfmMain& AMain) {
    auto* Poll = new QTimer(&AMain);
    QObject::connect(Poll, &QTimer::timeout, Poll, [this] { Watch.Poll(); });
    Poll->start(20);
    QTimer::singleShot(0, &AMain, [this, &AMain] {
      // The walk runs in a slot, where no exception may escape: a control
      // Child<> did not find ends the walk as a failure.
      try {
        Walk(AMain);
      } catch (const std::exception& AError) {
        ADD_FAILURE() << "while " << Stage.load() << ": " << AError.what();
      }
      QCoreApplication::exit(HasFailure() ? 1 : 0);
    });
  });
  Stage = "ending the test";
  Done.set_value();
  Watchdog.join();
  EXPECT_EQ(Code, 0);
}

} // namespace
} // namespace tilvane::demo

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
