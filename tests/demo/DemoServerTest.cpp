// The demo server as the program reads it: its pages through the program's
// HTTP routine and page parser, its web login, its archives through the
// program's archive reader, and the changes it publishes.
#include "DemoServer.h"

#include "core/http/HttpRoutines.h"
#include "core/server/ModPageReading.h"
#include "core/update/ModArchiveReader.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include <httplib.h>

#include <gtest/gtest.h>

namespace tilvane::demo {
namespace {

// A feed as the test reads it: the root's attributes, then one line per
// mod, "name | author | version | hash | title".
struct TFeed {
  int Status = 0;
  QString Body;
  QString Game;
  QString ServerName;
  QString MapName;
  QString GameVersion;
  QStringList Mods;
  QStringList Hashes;
};

TFeed GetFeed(const QString& AURL) {
  const QUrl URL(AURL);
  httplib::Client Client(URL.host().toStdString(), URL.port());
  const QByteArray Target = URL.path(QUrl::FullyEncoded).toUtf8() +
                            (URL.hasQuery() ? "?" + URL.query(QUrl::FullyEncoded).toUtf8() : "");
  const httplib::Result Answer = Client.Get(Target.toStdString());
  TFeed Feed;
  if (!Answer)
    return Feed;
  Feed.Status = Answer->status;
  Feed.Body = QString::fromStdString(Answer->body);
  if (Feed.Status != 200)
    return Feed;
  QXmlStreamReader Xml(Feed.Body);
  while (Xml.readNextStartElement()) {
    const QXmlStreamAttributes Attributes = Xml.attributes();
    if (Xml.name() == u"Server") {
      Feed.Game = Attributes.value(QLatin1String("game")).toString();
      Feed.ServerName = Attributes.value(QLatin1String("name")).toString();
      Feed.MapName = Attributes.value(QLatin1String("mapName")).toString();
      Feed.GameVersion = Attributes.value(QLatin1String("version")).toString();
      continue; // into its children
    }
    if (Xml.name() == u"Mods")
      continue;
    if (Xml.name() != u"Mod") {
      Xml.skipCurrentElement();
      continue;
    }
    const QString Hash = Attributes.value(QLatin1String("hash")).toString();
    const QStringList Line = {Attributes.value(QLatin1String("name")).toString(),
                              Attributes.value(QLatin1String("author")).toString(),
                              Attributes.value(QLatin1String("version")).toString(), Hash,
                              Xml.readElementText()};
    Feed.Mods.append(Line.join(QStringLiteral(" | ")));
    Feed.Hashes.append(Hash);
  }
  EXPECT_FALSE(Xml.hasError()) << qPrintable(Xml.errorString());
  return Feed;
}

// The game's hash, worked out here on its own: MD5 of the bytes, then the
// mod name.
QString GameHash(const QString& APath) {
  QFile File(APath);
  EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << qPrintable(APath);
  const QString Name = QFileInfo(APath).completeBaseName();
  return QString::fromLatin1(
      QCryptographicHash::hash(File.readAll() + Name.toUtf8(), QCryptographicHash::Md5).toHex());
}

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
  const QString FixedPath = Folder.filePath(QStringLiteral("fs25/FS25_RepairPickup.zip"));
  const QString FixedHash = GameHash(FixedPath);
  EXPECT_EQ(Server.Change(),
            QStringLiteral("FS22_ServiceTrailer.zip is now version 1.1.0.0; "
                           "FS22_RepairPickup.zip has a fixed archive, still version 1.0.0.0; "
                           "FS22_HofUndStall.zip left the list; "
                           "FS25_ServiceTrailer.zip is now version 1.1.0.0; "
                           "FS25_RepairPickup.zip has a fixed archive, still version 1.0.0.0; "
                           "FS25_HofUndStall.zip left the list"));
  const QString Changed = Archives(Server.PublicPageURL(TFSVersion::fsv25));
  EXPECT_FALSE(Changed.contains(QStringLiteral("FS25_HofUndStall.zip")));
  EXPECT_TRUE(Changed.contains(QStringLiteral("FS25_ServiceTrailer.zip 1.1.0.0 ")));
  TModArchiveReader Reader(Env.PathOf(QStringLiteral("temp")), Env.Prompts());
  QDir().mkpath(Env.PathOf(QStringLiteral("temp")));
  EXPECT_EQ(Reader.GetModFileInfo(Folder.filePath(QStringLiteral("fs25/FS25_ServiceTrailer.zip")))
                .Version,
            QStringLiteral("1.1.0.0"));
  // The fixed archive: other bytes, the same version on the page and in the
  // archive, and the feed's hash follows the bytes.
  EXPECT_NE(GameHash(FixedPath), FixedHash);
  EXPECT_TRUE(Changed.contains(QStringLiteral("FS25_RepairPickup.zip 1.0.0.0 ")));
  EXPECT_EQ(Reader.GetModFileInfo(FixedPath).Version, QStringLiteral("1.0.0.0"));
  const TFeed Feed = GetFeed(Server.StatsFeedURL(TFSVersion::fsv25));
  EXPECT_EQ(Feed.Mods.size(), 6);
  EXPECT_TRUE(Feed.Mods.contains(QStringLiteral("FS25_RepairPickup | Tilvane Demo | 1.0.0.0 | ") +
                                 GameHash(FixedPath) + QStringLiteral(" | Repair Pickup")))
      << qPrintable(Feed.Body);
  EXPECT_TRUE(Feed.Mods.filter(QStringLiteral("FS25_HofUndStall")).isEmpty());
  EXPECT_EQ(Server.Change(),
            QStringLiteral("FS22_ServiceTrailer.zip is now version 1.2.0.0; "
                           "FS22_RepairPickup.zip has a fixed archive, still version 1.0.0.0; "
                           "FS22_HofUndStall.zip is back; "
                           "FS25_ServiceTrailer.zip is now version 1.2.0.0; "
                           "FS25_RepairPickup.zip has a fixed archive, still version 1.0.0.0; "
                           "FS25_HofUndStall.zip is back"));
  EXPECT_EQ(Archives(Server.PublicPageURL(TFSVersion::fsv25)).split(u'\n').value(2),
            QStringLiteral("FS25_HofUndStall.zip 1.0.0.0 mods/FS25_HofUndStall.zip"));
  const std::vector<TDemoMod> Mods = Server.Mods(TFSVersion::fsv25);
  ASSERT_EQ(Mods.size(), 8u);
  EXPECT_EQ(Mods[1].Version, QStringLiteral("1.2.0.0"));
}

TEST_F(DemoServerTest, TheStatsFeedListsEveryArchiveWithTheGamesHash) {
  for (const TFSVersion FSVersion : TDemoServer::Games()) {
    const QString Number = FSVersionToNumberStr(FSVersion);
    SCOPED_TRACE(Number.toStdString());
    const QString URL = Server.StatsFeedURL(FSVersion);
    EXPECT_TRUE(URL.endsWith(QStringLiteral("/feed/dedicated-server-stats.xml?code=5f3a9c1e")))
        << qPrintable(URL);
    const TFeed Feed = GetFeed(URL);
    ASSERT_EQ(Feed.Status, 200);
    EXPECT_TRUE(Feed.Body.startsWith(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n<Server ")));
    EXPECT_EQ(Feed.Game, QStringLiteral("Farming Simulator ") + Number);
    EXPECT_EQ(Feed.ServerName, QStringLiteral("Tilvane demo"));
    EXPECT_FALSE(Feed.MapName.isEmpty());
    EXPECT_FALSE(Feed.GameVersion.isEmpty());
    // The archives in the page's order; the DLC has no archive and no hash.
    const QString Prefix = QStringLiteral("FS") + Number + u'_';
    QStringList Expected;
    const struct {
      const char* Name;
      const char* Author;
      const char* Title;
    } Mods[] = {
        {"ValleyCrestMap", "Demo Farm Works", "Valley Crest Map"},
        {"ServiceTrailer", "Tilvane Demo", "Service Trailer"},
        {"HofUndStall", "J\u00fcrgen \u00d6lm\u00fcller", "Hof & Stall"},
        {"TractorPack", "Demo Farm Works", "Tractor Pack"},
        {"SiloExtension", "Tilvane Demo", "Silo Extension"},
        {"HarvesterXL", "Demo Farm Works", "Harvester XL"},
        {"RepairPickup", "Tilvane Demo", "Repair Pickup"},
    };
    for (const auto& Mod : Mods) {
      const QString Name = Prefix + QLatin1String(Mod.Name);
      const QString Archive =
          Folder.filePath(FSTabCaption(FSVersion).toLower() + u'/' + Name + QStringLiteral(".zip"));
      Expected.append((QStringList{Name, QString::fromUtf8(Mod.Author), QStringLiteral("1.0.0.0"),
                                   GameHash(Archive), QString::fromUtf8(Mod.Title)})
                          .join(QStringLiteral(" | ")));
    }
    EXPECT_EQ(Feed.Mods, Expected);
    // Escaped once in the XML, as the game writes it.
    EXPECT_TRUE(Feed.Body.contains(QStringLiteral(">Hof &amp; Stall</Mod>")));
    for (const QString& Hash : Feed.Hashes)
      EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9a-f]{32}$")).match(Hash).hasMatch());
  }
}

TEST_F(DemoServerTest, TheStatsFeedWantsItsCode) {
  const QString Base = Server.PublicPageURL(TFSVersion::fsv25).chopped(9); // "mods.html"
  for (const char* Query : {"", "?code=", "?code=wrong", "?code=5F3A9C1E", "?cod=5f3a9c1e"}) {
    SCOPED_TRACE(Query);
    const TFeed Feed =
        GetFeed(Base + QStringLiteral("feed/dedicated-server-stats.xml") + QLatin1String(Query));
    EXPECT_EQ(Feed.Status, 403);
    EXPECT_FALSE(Feed.Body.contains(QStringLiteral("<Mod ")));
  }
  EXPECT_EQ(GetFeed(Base + QStringLiteral("feed/dedicated-server-stats.xml?code=5f3a9c1e")).Status,
            200);
}

TEST_F(DemoServerTest, TheStatsFeedCanComeBackEmptyOrWithAnotherHash) {
  kit::TModFileServer& Game = Server.GameServer(TFSVersion::fsv25);
  const QString URL = Server.StatsFeedURL(TFSVersion::fsv25);
  const QStringList Hashes = GetFeed(URL).Hashes;
  ASSERT_EQ(Hashes.size(), 7);

  // While the game rewrites it: the server is there, its mods are not.
  Game.SetStatsFeedEmpty(true);
  TFeed Feed = GetFeed(URL);
  EXPECT_EQ(Feed.Status, 200);
  EXPECT_EQ(Feed.Game, QStringLiteral("Farming Simulator 25"));
  EXPECT_TRUE(Feed.Mods.isEmpty());
  EXPECT_TRUE(Feed.Body.contains(QStringLiteral("<Mods/>")) ||
              Feed.Body.contains(QStringLiteral("<Mods></Mods>")))
      << qPrintable(Feed.Body);
  Game.SetStatsFeedEmpty(false);
  EXPECT_EQ(GetFeed(URL).Hashes, Hashes);

  // One archive whose hash the feed gives wrong; the others stay right, and
  // the archive served is the same.
  const QString Tractor = Folder.filePath(QStringLiteral("fs25/FS25_TractorPack.zip"));
  Game.SetStatsFeedWrongHash(QStringLiteral("FS25_TractorPack.zip"));
  Feed = GetFeed(URL);
  ASSERT_EQ(Feed.Hashes.size(), 7);
  EXPECT_NE(Feed.Hashes[3], GameHash(Tractor));
  EXPECT_EQ(Feed.Hashes[3].size(), 32);
  Feed.Hashes[3] = Hashes[3];
  EXPECT_EQ(Feed.Hashes, Hashes);
  Game.SetStatsFeedWrongHash(QString());
  EXPECT_EQ(GetFeed(URL).Hashes[3], GameHash(Tractor));
}

TEST(ModFileServerFeedTest, TheHashIsTheMd5OfTheBytesAndTheModName) {
  test::TestEnvironment Env;
  QDir().mkpath(Env.PathOf(QStringLiteral("served")));
  QFile File(Env.PathOf(QStringLiteral("served/FS25_A.zip")));
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  ASSERT_EQ(File.write("abc"), 3);
  File.close();
  kit::TModFileServer Server(Env.PathOf(QStringLiteral("served")));
  // No feed set: there is none.
  EXPECT_EQ(GetFeed(Server.BaseURL() + QStringLiteral("feed/dedicated-server-stats.xml")).Status,
            404);
  Server.SetStatsFeed(QStringLiteral("c0de"), {},
                      {{QStringLiteral("FS25_A.zip"), QStringLiteral("A & B"),
                        QStringLiteral("Kastor [D-S-Agrarservice]"), QStringLiteral("1.0.0.0")}});
  const TFeed Feed = GetFeed(Server.StatsFeedURL());
  EXPECT_EQ(Feed.Mods, QStringList{QStringLiteral("FS25_A | Kastor [D-S-Agrarservice] | 1.0.0.0 | "
                                                  "d5e618c907ec310f45e546e3e3002e51 | A & B")});
}

} // namespace
} // namespace tilvane::demo
