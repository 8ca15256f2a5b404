#include "LocalHttpServer.h"
#include "ServerPageFixtures.h"
#include "support/FailingPorts.h"
#include "support/RecordingServerPageViewer.h"

#include "core/server/ServerURL.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <mutex>

using namespace tilvane;
using namespace tilvane::kit;
using namespace tilvane::test;
using tilvane::kit::LocalHttpServer;

namespace {

TEST(CreateServerURLTest, LoginQueryEncoding) {
  const QString Url = QStringLiteral("http://1.2.3.4:8080/mods.html");
  EXPECT_EQ(TdmMain::CreateServerURL(Url, {}, {}), Url);
  EXPECT_EQ(TdmMain::CreateServerURL(Url, {}, QStringLiteral("pw")),
            Url + QStringLiteral("?login=true&username=&password=pw"));
  EXPECT_EQ(TdmMain::CreateServerURL(Url + QStringLiteral("?lang=en"), QStringLiteral("a"), {}),
            Url + QStringLiteral("?lang=en&login=true&username=a&password="));
  EXPECT_EQ(EncodeServerQueryValue(QStringLiteral("J\u00FCrgen Mu")), u"J%C3%BCrgen+Mu");
  EXPECT_EQ(EncodeServerQueryValue(QStringLiteral("!$'()*-.@_azAZ09")), u"!$'()*-.@_azAZ09");
  EXPECT_EQ(EncodeServerQueryValue(QStringLiteral("~&=+%/?#\"")), u"%7E%26%3D%2B%25%2F%3F%23%22");
  EXPECT_EQ(EncodeServerQueryValue(QStringLiteral("\U0001F600\u20AC")), u"%F0%9F%98%80%E2%82%AC");
}

// A server on 127.0.0.1 that serves one page at /mods.html with a status of
// the test's choice and records the raw request target.
class ValidateServerURLTest : public ::testing::Test {
protected:
  void SetUp() override {
    Http.Server().Get("/mods.html", [this](const httplib::Request& Req, httplib::Response& Res) {
      std::lock_guard Guard(Lock);
      Targets.push_back(Req.target);
      Res.status = Status;
      Res.set_content(Body.toStdString(), "text/html; charset=utf-8");
    });
    Http.Start();
  }

  void Serve(const QString& ABody, int AStatus = 200) {
    std::lock_guard Guard(Lock);
    Body = ABody;
    Status = AStatus;
  }
  QString Url() const { return Http.Url("/mods.html"); }

  TestEnvironment Env;
  LocalHttpServer Http;
  std::mutex Lock;
  QString Body;
  int Status = 200;
  std::vector<std::string> Targets;
};

TEST_F(ValidateServerURLTest, EveryFailureIsToldOnceAndGivesFalse) {
  TdmMain DM(Env.Platform(), Env.Prompts());
  const QString Fs22 = ServerPage(QStringLiteral("9.0.0.0"), FixtureMods(1));
  QString LoginAndMods = Fs22;
  LoginAndMods.replace(
      QStringLiteral("<meta"),
      QStringLiteral("<title>Farming Simulator Dedicated Server | Login</title><meta"));
  QString NoMarker = Fs22;
  NoMarker.replace(QStringLiteral(">9.0.0.0"), QStringLiteral(">0.9.0.0"));
  const QString Pending = Fs22 + QStringLiteral("<p>Server | Login required</p>");
  const struct {
    const char* Name;
    QString Page;
    TFSVersion FSVersion;
    QString Message;
  } Cases[] = {
      {"login page wins over the mods title", LoginAndMods, TFSVersion::fsv22,
       QStringLiteral("Unable to login into server. Did you correctly enter the Web user name and "
                      "Web password?")},
      {"no marker", NoMarker, TFSVersion::fsv22,
       QStringLiteral("Unable to detect the Farming Simulator dedicated server version.")},
      {"8.0 server for FS22", ServerPage(QStringLiteral("8.0.0.0"), FixtureMods(1)),
       TFSVersion::fsv22,
       QStringLiteral("The Server URL is not a Farming Simulator 22 dedicated server.\r\nIt was "
                      "detected to be a Farming Simulator 19.")},
      {"FS22 server for FS25", Fs22, TFSVersion::fsv25,
       QStringLiteral("The Server URL is not a Farming Simulator 25 dedicated server.\r\nIt was "
                      "detected to be a Farming Simulator 22.")},
      {"login still required", Pending, TFSVersion::fsv22,
       QStringLiteral("Unable to login into Farming Simulator dedicated server.")},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Env.Prompts().Clear();
    Serve(Case.Page);
    EXPECT_FALSE(DM.ValidateServerURL(Case.FSVersion, Url(), {}, {}));
    EXPECT_EQ(Env.Prompts().Messages(), QStringList{Case.Message});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  }
}

TEST_F(ValidateServerURLTest, ErrorStatusWithModPageIsAcceptedAndLoginTravelsInTheQuery) {
  TdmMain DM(Env.Platform(), Env.Prompts());
  Serve(ServerPage(QStringLiteral("10.0.0.0"), FixtureMods(1)), 500);
  EXPECT_TRUE(DM.ValidateServerURL(TFSVersion::fsv25, Url() + QStringLiteral("?lang=de"),
                                   QStringLiteral("J\u00FCrgen M"), QStringLiteral("p&w")));
  EXPECT_TRUE(Env.Prompts().History().empty());
  ASSERT_EQ(Targets.size(), 1u);
  EXPECT_EQ(Targets[0], "/mods.html?lang=de&login=true&username=J%C3%BCrgen+M&password=p%26w");
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ValidateServerURLTest, UnknownPageGoesToThePageViewerWithThePage) {
  TdmMain DM(Env.Platform(), Env.Prompts());
  const QString Page = QStringLiteral("<html><title>Router</title>\n</html>");
  Serve(Page, 404);
  // Without a viewer the user still learns why.
  EXPECT_FALSE(DM.ValidateServerURL(TFSVersion::fsv22, Url(), {}, {}));
  EXPECT_EQ(Env.Prompts().Messages(), QStringList{UnknownModPageNotice()});

  Env.Prompts().Clear();
  RecordingServerPageViewer Viewer;
  DM.SetServerPageViewer(&Viewer);
  EXPECT_FALSE(DM.ValidateServerURL(TFSVersion::fsv22, Url(), {}, {}));
  ASSERT_EQ(Viewer.UnknownPages.size(), 1);
  EXPECT_EQ(Viewer.UnknownPages[0].Page, Page);
  EXPECT_EQ(Viewer.UnknownPages[0].SaveFolder, DM.SaveModPageFolder());
  EXPECT_TRUE(Env.Prompts().History().empty());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(ValidateServerURLTransportTest, UnreachableServerIsOneMessageAfterThreeAttempts) {
  TestEnvironment Env;
  TdmMain DM(Env.Platform(), Env.Prompts());
  DroppingServer Server;
  EXPECT_FALSE(DM.ValidateServerURL(TFSVersion::fsv22, Server.Url(), {}, {}));
  EXPECT_EQ(Server.Accepted().size(), 3u);
  ASSERT_EQ(Env.Prompts().Messages().size(), 1);
  const QString Prefix = QStringLiteral("Unable to retrieve mod list from server.\r\nError: ");
  EXPECT_TRUE(Env.Prompts().Messages()[0].startsWith(Prefix));
  EXPECT_GT(Env.Prompts().Messages()[0].size(), Prefix.size());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  Env.Prompts().Clear();
  ClosedPort Closed;
  EXPECT_TRUE(DM.GetModPageHTML(TFSVersion::fsv22, Closed.Url(), {}, {}).isEmpty());
  ASSERT_EQ(Env.Prompts().Messages().size(), 1);
  EXPECT_TRUE(Env.Prompts().Messages()[0].startsWith(Prefix));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// Without the program's window the check still runs on a worker: the
// thread that asked goes on with its events until the answer or the page's
// time limit (30 s in the program, shortened here), and no attempt follows.
TEST(ValidateServerURLTransportTest, AServerThatNeverAnswersEndsAtThePageLimitWithEventsGoingOn) {
  TestEnvironment Env;
  TdmMain DM(Env.Platform(), Env.Prompts());
  TNetworkLimits Short;
  Short.Page.TotalTimeout = 400;
  DM.SetNetworkLimits(Short);
  MisbehavingServer Silent(MisbehavingServer::Kind::Silent);
  int Ticks = 0;
  QTimer Ticker;
  QObject::connect(&Ticker, &QTimer::timeout, [&Ticks] { ++Ticks; });
  Ticker.start(50);
  QElapsedTimer Clock;
  Clock.start();
  EXPECT_FALSE(DM.ValidateServerURL(TFSVersion::fsv22, Silent.Url(), {}, {}));
  EXPECT_GE(Clock.elapsed(), 400);
  EXPECT_LT(Clock.elapsed(), 1000);
  EXPECT_GE(Ticks, 5) << "the thread that asked went on with its events";
  EXPECT_EQ(Env.Prompts().Messages(),
            QStringList{QStringLiteral("Unable to retrieve mod list from server.\r\nError: The "
                                       "server did not finish its answer within 0.4 seconds.")});
  EXPECT_EQ(Silent.Accepted(), 1);
}

} // namespace
