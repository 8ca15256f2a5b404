// The main window while a server takes its time: the window goes on, the
// player sees what it waits for and may stop waiting.
#include "MainWindowFixture.h"

#include "LocalHttpServer.h"
#include "support/FailingPorts.h"

#include "core/update/FolderStateModel.h"
#include "gui/common/WaitingFM.h"
#include "gui/dialogs/StartingFSFM.h"
#include "gui/main/ModFolderFR.h"
#include "support/WidgetChild.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>

namespace tilvane::test {
namespace {

using Kind = MisbehavingServer::Kind;

TfmWaiting* ShownWaitingDialog() {
  for (QWidget* Widget : QApplication::topLevelWidgets()) {
    if (auto* Dialog = qobject_cast<TfmWaiting*>(Widget); Dialog && Dialog->isVisible())
      return Dialog;
  }
  return nullptr;
}

// Watches the window's thread while a handler waits inside it: a timer of
// 50 ms records how late it fires, and once the waiting dialog has been up
// for a while its Cancel is clicked.
class TWaitWatch {
public:
  explicit TWaitWatch(int ACancelAfterMs) : FCancelAfter(ACancelAfterMs) {
    Clock.start();
    QObject::connect(&FTicker, &QTimer::timeout, [this] { Tick(); });
    FTicker.start(50);
  }

  void Tick() {
    const qint64 Now = Clock.elapsed();
    if (FLastTick >= 0)
      MaxLateness = std::max(MaxLateness, Now - FLastTick - 50);
    FLastTick = Now;
    TfmWaiting* Dialog = ShownWaitingDialog();
    if (!Dialog || CancelledAt >= 0)
      return;
    if (ShownAt < 0) {
      ShownAt = Now;
      Text = Child<QLabel>(*Dialog, "lblWaitingFor").text();
    }
    if (Now - ShownAt >= FCancelAfter) {
      CancelledAt = Clock.elapsed();
      Child<QPushButton>(*Dialog, "btnCancel").click();
    }
  }

  QElapsedTimer Clock;
  qint64 MaxLateness = 0;
  qint64 ShownAt = -1;
  qint64 CancelledAt = -1;
  QString Text;

private:
  int FCancelAfter;
  QTimer FTicker;
  qint64 FLastTick = -1;
};

class ServerWaitTest : public MainWindowTest {
protected:
  // A folder that follows the never-answering server, checked on each click
  // (it does not update itself, so the click asks the server itself).
  TfmMain& OpenWithSilentServer() {
    Install(TFSVersion::fsv25);
    TModFolder Checked = MakeFolder(QStringLiteral("Checked"), true);
    Checked.DedicatedServerURL = Silent.Url();
    Checked.AutoUpdateFromDedicatedServer = false;
    SetFolders(TFSVersion::fsv25, {Checked});
    QDir().mkpath(Checked.Folder);
    return Open();
  }

  MisbehavingServer Silent{Kind::Silent};
};

TEST_F(ServerWaitTest, TheWindowGoesOnWhileTheServerIsSilentAndCancelEndsTheWait) {
  TfmMain& Main = OpenWithSilentServer();
  const QByteArray GameSettingsBefore = ReadFile(Games.GameSettings(TFSVersion::fsv25));
  ASSERT_FALSE(GameSettingsBefore.isEmpty());
  Shift = true;
  const struct {
    const char* Name;
    std::function<void(TfrModFolder*)> Action;
    QString Text;
  } Cases[] = {
      {"the click", [](TfrModFolder* AFrame) { AFrame->btnModFolderClick(); },
       QStringLiteral("Checking the server\u2026")},
      {"the page download",
       [](TfrModFolder* AFrame) { Child<QAction>(*AFrame, "mniDownloadmodpagehtml").trigger(); },
       QStringLiteral("Fetching the server's mod page\u2026")},
  };
  // Showing the tab checks the folder's server in the background: that check
  // holds one connection of its own until the window goes.
  ASSERT_TRUE(QTest::qWaitFor([this] { return Silent.Accepted() == 1; }, 5000));
  int Connections = 1;
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TWaitWatch Watch(700);
    Case.Action(Main.Frames()[0]);
    const qint64 ReturnedAt = Watch.Clock.elapsed();

    EXPECT_EQ(Watch.Text, Case.Text);
    // The dialog comes only when the wait is not over at once.
    EXPECT_GE(Watch.ShownAt, 250);
    ASSERT_GE(Watch.CancelledAt, 0) << "the dialog was never shown";
    EXPECT_LE(ReturnedAt - Watch.CancelledAt, 250);
    EXPECT_LE(Watch.MaxLateness, 200);
    EXPECT_EQ(ShownWaitingDialog(), nullptr);
    EXPECT_EQ(Silent.Accepted(), ++Connections) << "one request, no second attempt";
  }
  // A cancel shows nothing more, writes nothing and starts nothing.
  EXPECT_TRUE(Env.Prompts().History().empty());
  EXPECT_EQ(ReadFile(Games.GameSettings(TFSVersion::fsv25)), GameSettingsBefore);
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(Reported.empty());
}

// The update window checks the page itself and tells the player what it
// found: the click, "Update mods only" and "Re-download all mods only" of a
// folder that follows its server ask the server for the page once.
TEST_F(ServerWaitTest, AFolderThatFollowsItsServerFetchesThePageOncePerAction) {
  Install(TFSVersion::fsv25);
  const TModFolder Followed = MakeFolder(QStringLiteral("Followed"), true);
  SetFolders(TFSVersion::fsv25, {Followed});
  QDir().mkpath(Followed.Folder);
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  MakeModArchive(Env.PathOf(QStringLiteral("served/A.zip")), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  Server.SetFile(QStringLiteral("A.zip"), ReadFile(Env.PathOf(QStringLiteral("served/A.zip"))));
  TfmMain& Main = Open();
  // Showing the tab checked the folder once in the background.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Main.FolderStates().Busy(Followed.Folder); }, 5000));
  EXPECT_EQ(Server.Requests("/mods.html"), 1);

  WhenShown<TfmStartingFS>([](TfmStartingFS* ANotice) { ANotice->accept(); });
  Main.Frames()[0]->btnModFolderClick();
  Settle();
  EXPECT_EQ(Server.Requests("/mods.html"), 2);
  EXPECT_EQ(Env.Platform().OpenedTargets().size(), 1u) << "the game started";

  Child<QAction>(*Main.Frames()[0], "mniUpdateMods").trigger();
  Settle();
  EXPECT_EQ(Server.Requests("/mods.html"), 3);

  Env.Prompts().AnswerYes();
  Child<QAction>(*Main.Frames()[0], "mniRedownloadMods").trigger();
  Settle();
  EXPECT_EQ(Server.Requests("/mods.html"), 4);
  EXPECT_EQ(Env.Prompts().Questions(),
            QStringList{QStringLiteral("Do you want re-download all mods?")});
  EXPECT_EQ(ReadFile(Followed.Folder + QStringLiteral("/A.zip")),
            ReadFile(Env.PathOf(QStringLiteral("served/A.zip"))));
  EXPECT_TRUE(Reported.empty());
}

// The update check at start-up runs on a worker: a site that never answers
// leaves the window taking its events, and closing the window ends the check
// at once.
TEST_F(ServerWaitTest, ASilentUpdateSiteNeitherHoldsTheWindowNorItsClosing) {
  Install(TFSVersion::fsv25);
  TWaitWatch Watch(1000000);
  Open([this](TfmMain& AWindow) {
    AWindow.DataModule().SetUpdateSite(QStringLiteral("http://127.0.0.1:%1").arg(Silent.Port()));
    AWindow.DataModule().SetProgramVersion({2, 4, 1, 17});
  });
  ASSERT_TRUE(QTest::qWaitFor([this] { return Silent.Accepted() == 1; }, 5000));
  Settle(500);
  EXPECT_LE(Watch.MaxLateness, 200);
  EXPECT_EQ(Watch.ShownAt, -1) << "the check shows no dialog";
  QElapsedTimer Closing;
  Closing.start();
  Window.reset();
  EXPECT_LT(Closing.elapsed(), 300);
  EXPECT_TRUE(Env.Prompts().History().empty());
  EXPECT_TRUE(Reported.empty());
}

// The installer comes through the same wait: a download that crawls shows
// "Downloading the update…", and Cancel leaves no installer and starts
// nothing; the program stays.
TEST_F(ServerWaitTest, ACrawlingInstallerDownloadCanBeCancelled) {
  Install(TFSVersion::fsv25);
  kit::LocalHttpServer Site;
  Site.Server().Get("/Tilvane/download/LatestVersion.txt",
                    [](const httplib::Request&, httplib::Response& Res) {
                      Res.set_content("9.0.0", "text/plain");
                    });
  Site.Server().Get("/Tilvane/download/TilvaneSetup.exe",
                    [&Site](const httplib::Request&, httplib::Response& Res) {
                      Res.set_chunked_content_provider(
                          "application/octet-stream", [&Site](size_t, httplib::DataSink& ASink) {
                            if (Site.Stopping)
                              return false;
                            ASink.write("MZ", 2);
                            std::this_thread::sleep_for(std::chrono::milliseconds(20));
                            return true;
                          });
                    });
  Site.Start();
  Env.Prompts().AnswerYes();
  TWaitWatch Watch(500);
  TfmMain& Main = Open([&Site](TfmMain& AWindow) {
    AWindow.DataModule().SetUpdateSite(Site.Url(""));
    AWindow.DataModule().SetProgramVersion({2, 4, 1, 17});
  });
  ASSERT_TRUE(QTest::qWaitFor([&Watch] { return Watch.CancelledAt >= 0; }, 10000));
  Settle(300);
  EXPECT_EQ(Watch.Text, QStringLiteral("Downloading the update\u2026"));
  EXPECT_LE(Watch.MaxLateness, 200);
  EXPECT_EQ(ShownWaitingDialog(), nullptr);
  EXPECT_EQ(Env.Prompts().Questions(),
            QStringList{
                QStringLiteral("An update is available. Do you want to download and install it?")});
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
  EXPECT_TRUE(
      QDir(Env.PathOf(QStringLiteral("Temp"))).entryList(QDir::Files | QDir::Hidden).isEmpty());
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_TRUE(Main.isVisible());
  EXPECT_TRUE(Reported.empty());
  Window.reset();
  Site.Stop();
}

} // namespace
} // namespace tilvane::test
