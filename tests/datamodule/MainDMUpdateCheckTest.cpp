#include "LocalHttpServer.h"
#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/FailingPorts.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <string>

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

} // namespace
} // namespace tilvane
