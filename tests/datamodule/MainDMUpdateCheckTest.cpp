#include "LocalHttpServer.h"
#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/FailingPorts.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace tilvane {
namespace {

using test::L;
using test::TestEnvironment;

// An update site on 127.0.0.1 whose version file says what the test sets.
class MainDMUpdateCheckTest : public ::testing::Test {
protected:
  MainDMUpdateCheckTest() {
    FSite.Server().Get("/Tilvane/download/LatestVersion.txt",
                       [this](const httplib::Request&, httplib::Response& Res) {
                         Res.status = FStatus;
                         Res.set_content(FVersionFile, "text/plain");
                       });
    FSite.Start();
    FDM.SetUpdateSite(FSite.Url(""));
    FDM.SetProgramVersion({2, 4, 1, 17});
  }

  TestEnvironment FEnv;
  TdmMain FDM{FEnv.Platform(), FEnv.Prompts()};
  std::string FVersionFile;
  int FStatus = 200;
  kit::LocalHttpServer FSite; // last, so that it stops before the rest goes
};

TEST_F(MainDMUpdateCheckTest, ComparesMajorMinorAndReleaseButNotTheBuild) {
  struct Case {
    TProgramVersion Own;
    const char* File;
    bool Expected;
  };
  const Case Cases[] = {
      {{2, 4, 1, 17}, "2.4.1", false}, {{2, 4, 1, 0}, "2.5.0", true},
      {{2, 4, 1, 0}, "3.0.0", true},   {{2, 4, 1, 0}, "2.4.2", true},
      {{2, 4, 1, 0}, "2.3.9", false},  {{2, 4, 1, 0}, "1.9.9", false},
      {{2, 4, 1, 0}, "2.4", false},    {{2, 4, 1, 0}, "2.4.1.0", false},
      {{2, 4, 1, 0}, "", false},       {{2, 4, 1, 0}, "10.0.0", true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.File);
    FDM.SetProgramVersion(C.Own);
    FVersionFile = C.File;
    QString Latest = L("unset");
    EXPECT_EQ(FDM.IsUpdateAvailable(Latest), C.Expected);
    EXPECT_EQ(Latest, L(C.File));
  }
  EXPECT_TRUE(FEnv.Prompts().History().empty());
}

TEST_F(MainDMUpdateCheckTest, APartThatIsNoIntegerRaises) {
  for (const char* File : {"2.5.x", "2.5.0\r\n", "2. 5.0", "2..0", "2.5.99999999999"}) {
    SCOPED_TRACE(File);
    FVersionFile = File;
    QString Latest;
    EXPECT_THROW(FDM.IsUpdateAvailable(Latest), EAppError);
  }
  try {
    FVersionFile = "2.5.0\n";
    QString Latest;
    FDM.IsUpdateAvailable(Latest);
    ADD_FAILURE() << "no error";
  } catch (const EAppError& Error) {
    EXPECT_EQ(Error.Message(), L("'0\n' is not a valid integer value"));
  }
}

TEST_F(MainDMUpdateCheckTest, NoAnswerOrAnErrorPageIsNoUpdateAndShowsNothing) {
  FVersionFile = "9.0.0";
  FStatus = 404;
  QString Latest = L("unset");
  EXPECT_FALSE(FDM.IsUpdateAvailable(Latest));
  EXPECT_EQ(Latest, L("unset"));

  // A file far longer than three numbers is no version file.
  FStatus = 200;
  FVersionFile = "9.0.0" + std::string(100000, '0');
  EXPECT_FALSE(FDM.IsUpdateAvailable(Latest));

  const test::ClosedPort Refusing;
  test::DroppingServer Dropping;
  for (const QString& Site : {Refusing.Url(), Dropping.Url()}) {
    SCOPED_TRACE(Site.toStdString());
    FDM.SetUpdateSite(Site);
    EXPECT_FALSE(FDM.IsUpdateAvailable(Latest));
  }
  // Without a site the program never asks.
  FDM.SetUpdateSite({});
  EXPECT_FALSE(FDM.IsUpdateAvailable(Latest));
  EXPECT_TRUE(FEnv.Prompts().History().empty());
}

// A site that never answers, or trickles its answer a byte at a time, holds
// the check no longer than its limit: 10 s in the program, shortened here.
TEST_F(MainDMUpdateCheckTest, ASiteThatNeverFinishesIsNoUpdateOnceTheLimitPassed) {
  EXPECT_EQ(TNetworkLimits{}.UpdateCheckTimeout, 10000);
  TNetworkLimits Short;
  Short.UpdateCheckTimeout = 300;
  FDM.SetNetworkLimits(Short);
  using Kind = test::MisbehavingServer::Kind;
  for (const Kind Misbehaviour : {Kind::Silent, Kind::Trickling}) {
    SCOPED_TRACE(static_cast<int>(Misbehaviour));
    test::MisbehavingServer Site(Misbehaviour);
    FDM.SetUpdateSite(QStringLiteral("http://127.0.0.1:%1").arg(Site.Port()));
    QString Latest = L("unset");
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_FALSE(FDM.IsUpdateAvailable(Latest));
    const auto Took = std::chrono::steady_clock::now() - Start;
    EXPECT_GE(Took, std::chrono::milliseconds(300));
    EXPECT_LT(Took, std::chrono::milliseconds(1000));
    EXPECT_EQ(Latest, L("unset"));
    EXPECT_EQ(Site.Accepted(), 1);
  }
  EXPECT_TRUE(FEnv.Prompts().History().empty());
}

TEST_F(MainDMUpdateCheckTest, ACancelEndsTheCheckAtOnce) {
  test::MisbehavingServer Silent(test::MisbehavingServer::Kind::Silent);
  FDM.SetUpdateSite(QStringLiteral("http://127.0.0.1:%1").arg(Silent.Port()));
  std::atomic_bool Cancelled{false};
  std::thread Canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Cancelled = true;
  });
  const auto Start = std::chrono::steady_clock::now();
  QString Latest;
  EXPECT_FALSE(FDM.IsUpdateAvailable(Latest, &Cancelled));
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::milliseconds(350));
  Canceller.join();
}

} // namespace
} // namespace tilvane
