#include "MainWindowFixture.h"

#include "LocalHttpServer.h"

#include <QDir>

namespace tilvane::test {
namespace {

// The main window at start-up with an update site on 127.0.0.1 that names a
// newer release than the program's.
class UpdateCheckTest : public MainWindowTest {
protected:
  UpdateCheckTest() {
    Install(TFSVersion::fsv22);
    Site.Server().Get("/Tilvane/download/LatestVersion.txt",
                      [](const httplib::Request&, httplib::Response& Res) {
                        Res.set_content("9.0.0", "text/plain");
                      });
    Site.Server().Get("/Tilvane/download/TilvaneSetup.exe",
                      [this](const httplib::Request&, httplib::Response& Res) {
                        ++InstallerRequests;
                        Res.status = InstallerStatus;
                        Res.set_content(InstallerBody, InstallerType);
                      });
    Site.Start();
  }
  ~UpdateCheckTest() override { Site.Stop(); }

  TfmMain& OpenWithSite() {
    return Open([this](TfmMain& AWindow) {
      AWindow.DataModule().SetUpdateSite(Site.Url(""));
      AWindow.DataModule().SetProgramVersion({2, 4, 1, 17});
    });
  }
  QStringList TempFiles() const {
    return QDir(Env.PathOf(QStringLiteral("Temp"))).entryList(QDir::Files | QDir::Hidden);
  }

  std::atomic<int> InstallerRequests{0};
  int InstallerStatus = 200;
  std::string InstallerBody = "MZ installer";
  std::string InstallerType = "application/octet-stream";
  kit::LocalHttpServer Site;
};

const QString UpdateQuestion =
    QStringLiteral("An update is available. Do you want to download and install it?");

// The check runs on a worker: its answer comes a moment after the window
// took its first events.
bool WaitFor(const std::function<bool()>& ACondition) {
  return QTest::qWaitFor(ACondition, 10000);
}

TEST_F(UpdateCheckTest, YesDownloadsStartsTheInstallerAndCloses) {
  Env.Prompts().AnswerYes();
  TfmMain& Window = OpenWithSite();
  ASSERT_TRUE(WaitFor([&] { return !Window.isVisible(); }));
  EXPECT_EQ(Env.Prompts().Questions(), QStringList(UpdateQuestion));
  const QString Installer = Env.PathOf(QStringLiteral("Temp/TilvaneSetup.exe"));
  EXPECT_EQ(ReadFile(Installer), QByteArray("MZ installer"));
  EXPECT_EQ(Env.Platform().OpenedTargets(), std::vector<std::string>{Installer.toStdString()});
  EXPECT_FALSE(Window.isVisible());
  EXPECT_TRUE(Reported.empty());
}

TEST_F(UpdateCheckTest, NoLeavesNothingBehind) {
  Env.Prompts().AnswerNo();
  TfmMain& Window = OpenWithSite();
  ASSERT_TRUE(WaitFor([&] { return !Env.Prompts().Questions().isEmpty(); }));
  Settle(50);
  EXPECT_EQ(Env.Prompts().Questions(), QStringList(UpdateQuestion)); // asked once
  EXPECT_EQ(InstallerRequests, 0);
  EXPECT_TRUE(TempFiles().isEmpty());
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_TRUE(Window.isVisible());
}

TEST_F(UpdateCheckTest, AFailedDownloadStartsNothingAndTheProgramStays) {
  InstallerStatus = 404;
  Env.Prompts().AnswerYes();
  TfmMain& Window = OpenWithSite();
  ASSERT_TRUE(WaitFor([&] { return !Env.Prompts().Messages().isEmpty(); }));
  EXPECT_EQ(
      Env.Prompts().Messages(),
      QStringList(QStringLiteral("Unable to download: ") +
                  Site.Url("/Tilvane/download/TilvaneSetup.exe") +
                  QStringLiteral("\r\nError: The server answered with status 404 Not Found")));
  EXPECT_TRUE(TempFiles().isEmpty());
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_TRUE(Window.isVisible());
}

// A hotel's or a host's page answers 200 in the installer's place: it is
// neither started nor left behind.
TEST_F(UpdateCheckTest, AWebPageInTheInstallersPlaceIsNotStarted) {
  InstallerBody = "<!DOCTYPE html><html><body>Sign in to the network</body></html>";
  InstallerType = "text/html";
  Env.Prompts().AnswerYes();
  TfmMain& Window = OpenWithSite();
  ASSERT_TRUE(WaitFor([&] { return !Env.Prompts().Messages().isEmpty(); }));
  EXPECT_EQ(Env.Prompts().Messages(),
            QStringList(QStringLiteral("The update site did not send an installer: ") +
                        Site.Url("/Tilvane/download/TilvaneSetup.exe")));
  EXPECT_TRUE(TempFiles().isEmpty());
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_TRUE(Window.isVisible());
}

TEST_F(UpdateCheckTest, AVersionFileThatIsNoNumberReachesTheReport) {
  kit::LocalHttpServer BadSite;
  BadSite.Server().Get("/Tilvane/download/LatestVersion.txt",
                       [](const httplib::Request&, httplib::Response& Res) {
                         Res.set_content("2.x.0", "text/plain");
                       });
  BadSite.Start();
  Open([&BadSite](TfmMain& AWindow) { AWindow.DataModule().SetUpdateSite(BadSite.Url("")); });
  ASSERT_TRUE(WaitFor([&] { return !Reported.empty(); }));
  Settle(50);
  ASSERT_EQ(Reported.size(), 1u);
  EXPECT_TRUE(Env.Prompts().Questions().isEmpty());
}

} // namespace
} // namespace tilvane::test
