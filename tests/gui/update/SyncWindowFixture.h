#pragma once

#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"
#include "support/UpdateTestSupport.h"

#include <gtest/gtest.h>

#include <exception>
#include <vector>

namespace tilvane::test {

// A folder named AName that follows a server on 127.0.0.1 listing one
// archive, A.zip, which the folder lacks: what the sync windows run.
class TSyncWindowFixture : public ::testing::Test {
protected:
  explicit TSyncWindowFixture(const QString& AName) {
    Folder.Name = AName;
    Folder.Folder = Env.PathOf(QStringLiteral("mods"));
    Folder.DedicatedServerURL = Server.PageURL();
    Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
    MakeModArchive(Env.PathOf(QStringLiteral("served/A.zip")), QStringLiteral("Tester"),
                   QStringLiteral("1.0.0.0"));
    Server.SetFile(QStringLiteral("A.zip"), ReadFile(Env.PathOf(QStringLiteral("served/A.zip"))));
  }

  TestEnvironment Env;
  // Errors that reach the program's report.
  std::vector<std::exception_ptr> Reported;
  TdmMain DataModule{Env.Platform(), Env.Prompts(),
                     [this](std::exception_ptr AError) { Reported.push_back(AError); }};
  TTestServer Server;
  TModFolder Folder;
};

} // namespace tilvane::test
