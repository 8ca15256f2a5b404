// The demo server as the program reads it: its pages through the program's
// HTTP routine and page parser, its web login, its archives through the
// program's archive reader, and the changes it publishes.
#include "DemoServer.h"

#include "app/MainDM.h"
#include "common/HttpRoutines.h"
#include "server/ModPageReading.h"
#include "support/TestEnvironment.h"
#include "update/ModArchiveReader.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tilvane::demo {
namespace {

const QString LoginTitle =
    QStringLiteral("<title>Farming Simulator Dedicated Server | Login</title>");

class DemoServerTest : public ::testing::Test {
protected:
  // The archives of the page, read the way a sync reads it and checked the
  // way a sync checks it before acting on it: name, version and link a line.
  QString Archives(const QString& AURL, TServerPageLayout* ALayout = nullptr) {
    const TModPageReading Reading = ReadModPage(HttpGet(AURL), u'.');
    EXPECT_TRUE(Reading.Successful) << qPrintable(AURL);
    EXPECT_TRUE(Reading.Check.Passed) << qPrintable(AURL);
    if (ALayout)
      *ALayout = Reading.Layout;
    QStringList Lines;
    for (const TServerMod& Mod : Reading.Mods)
      Lines.append(Mod.FileName + u' ' + Mod.Version + u' ' + Mod.DownloadURL);
    return Lines.join(u'\n');
  }

  test::TestEnvironment Env;
  QTemporaryDir Folder{Env.PathOf(QStringLiteral("server-XXXXXX"))};
  TDemoServer Server{Folder.path(), {256 * 1024, 0}};
};

TEST_F(DemoServerTest, EachGameListsItsModsInItsOwnLayout) {
  struct TCase {
    TFSVersion FSVersion;
    TServerPageLayout Layout;
    QString Prefix;
  };
  for (const TCase& Case :
       {TCase{TFSVersion::fsv22, TServerPageLayout::GridWithModHub, QStringLiteral("FS22_")},
        TCase{TFSVersion::fsv25, TServerPageLayout::GridWithModHub, QStringLiteral("FS25_")}}) {
    // The DLC has no archive: a sync leaves it out.
    const QString Expected =
        QStringLiteral("%1ValleyCrestMap.zip 1.0.0.0 mods/%1ValleyCrestMap.zip\n"
                       "%1ServiceTrailer.zip 1.0.0.0 mods/%1ServiceTrailer.zip\n"
                       "%1HofUndStall.zip 1.0.0.0 mods/%1HofUndStall.zip\n"
                       "%1TractorPack.zip 1.0.0.0 mods/%1TractorPack.zip\n"
                       "%1SiloExtension.zip 1.0.0.0 mods/%1SiloExtension.zip\n"
                       "%1HarvesterXL.zip 1.0.0.0 mods/%1HarvesterXL.zip\n"
                       "%1RepairPickup.zip 1.0.0.0 mods/%1RepairPickup.zip")
            .arg(Case.Prefix);
    TServerPageLayout Layout = TServerPageLayout::Table;
    EXPECT_EQ(Archives(Server.PublicPageURL(Case.FSVersion), &Layout), Expected);
    EXPECT_EQ(Layout, Case.Layout);
    EXPECT_EQ(
        Archives(TdmMain::CreateServerURL(Server.AdminPageURL(Case.FSVersion),
                                          QStringLiteral("admin"), QStringLiteral("harvest"))),
        Expected);
  }
  // The servers tell the generations apart by their footers.
  EXPECT_TRUE(
      HttpGet(Server.PublicPageURL(TFSVersion::fsv22)).contains(QStringLiteral(">9.2.0.0")));
  EXPECT_TRUE(
      HttpGet(Server.PublicPageURL(TFSVersion::fsv25)).contains(QStringLiteral(">10.0.0.0")));
}

TEST_F(DemoServerTest, TheAdministratorsPageNeedsTheRightLogin) {
  const QString Admin = Server.AdminPageURL(TFSVersion::fsv25);
  struct TCase {
    const char* User;
    const char* Password;
    bool LoggedIn;
  };
  for (const TCase& Case : {TCase{"", "", false}, TCase{"admin", "wrong", false},
                            TCase{"guest", "harvest", false}, TCase{"admin", "harvest", true}}) {
    const QString Page = HttpGet(
        TdmMain::CreateServerURL(Admin, QLatin1String(Case.User), QLatin1String(Case.Password)));
    EXPECT_EQ(Page.contains(LoginTitle), !Case.LoggedIn) << Case.User << '/' << Case.Password;
    // Only the administrator's page offers to delete a mod.
    EXPECT_EQ(Page.contains(QStringLiteral("name=\"deleteinactive\"")), Case.LoggedIn);
  }
}

TEST_F(DemoServerTest, ArchivesCarryTheAuthorAndVersionTheListShows) {
  TModArchiveReader Reader(Env.PathOf(QStringLiteral("temp")), Env.Prompts());
  QDir().mkpath(Env.PathOf(QStringLiteral("temp")));
  const TModInfo Map =
      Reader.GetModFileInfo(Folder.filePath(QStringLiteral("fs25/FS25_ValleyCrestMap.zip")));
  EXPECT_EQ(Map.Author, QStringLiteral("Demo Farm Works"));
  EXPECT_EQ(Map.Version, QStringLiteral("1.0.0.0"));
  const TModInfo Small =
      Reader.GetModFileInfo(Folder.filePath(QStringLiteral("fs22/FS22_HofUndStall.zip")));
  EXPECT_EQ(Small.Author, QString::fromUtf8("J\u00fcrgen \u00d6lm\u00fcller"));
  EXPECT_EQ(Small.Version, QStringLiteral("1.0.0.0"));
}

TEST_F(DemoServerTest, EachChangeRaisesOneVersionAndTakesAModAwayOrBringsItBack) {
  EXPECT_EQ(Server.Change(),
            QStringLiteral("FS22_ServiceTrailer.zip is now version 1.1.0.0; FS22_HofUndStall.zip "
                           "left the list; FS25_ServiceTrailer.zip is now version 1.1.0.0; "
                           "FS25_HofUndStall.zip left the list"));
  const QString Changed = Archives(Server.PublicPageURL(TFSVersion::fsv25));
  EXPECT_FALSE(Changed.contains(QStringLiteral("FS25_HofUndStall.zip")));
  EXPECT_TRUE(Changed.contains(QStringLiteral("FS25_ServiceTrailer.zip 1.1.0.0 ")));
  TModArchiveReader Reader(Env.PathOf(QStringLiteral("temp")), Env.Prompts());
  QDir().mkpath(Env.PathOf(QStringLiteral("temp")));
  EXPECT_EQ(Reader.GetModFileInfo(Folder.filePath(QStringLiteral("fs25/FS25_ServiceTrailer.zip")))
                .Version,
            QStringLiteral("1.1.0.0"));
  EXPECT_EQ(Server.Change(),
            QStringLiteral("FS22_ServiceTrailer.zip is now version 1.2.0.0; FS22_HofUndStall.zip "
                           "is back; FS25_ServiceTrailer.zip is now version 1.2.0.0; "
                           "FS25_HofUndStall.zip is back"));
  EXPECT_EQ(Archives(Server.PublicPageURL(TFSVersion::fsv25)).split(u'\n').value(2),
            QStringLiteral("FS25_HofUndStall.zip 1.0.0.0 mods/FS25_HofUndStall.zip"));
  const std::vector<TDemoMod> Mods = Server.Mods(TFSVersion::fsv25);
  ASSERT_EQ(Mods.size(), 8u);
  EXPECT_EQ(Mods[1].Version, QStringLiteral("1.2.0.0"));
}

} // namespace
} // namespace tilvane::demo
