#include "core/server/StatsFeed.h"
#include "core/common/AppError.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

QByteArray RealFeed() {
  // An FS22 dedicated server's feed, cut to the root and its <Mods>.
  QFile File(QStringLiteral(TILVANE_SERVER_FIXTURE_DIR
                            "/FS22_dedicated-server-stats_Rafikg523-FS22_mods.xml"));
  EXPECT_TRUE(File.open(QIODevice::ReadOnly));
  return File.readAll();
}

TEST(StatsFeedTest, ReadsTheModsOfARealFeed) {
  const TStatsFeed Feed = ParseStatsFeed(RealFeed());
  ASSERT_EQ(Feed.Mods.size(), 72);
  EXPECT_EQ(Feed.HashByName.size(), 72);

  const TStatsFeedMod& First = Feed.Mods.front();
  EXPECT_EQ(First.Name, QStringLiteral("FS22_additionalGameSettings"));
  EXPECT_EQ(First.Author, QStringLiteral("Rockstar"));
  EXPECT_EQ(First.Version, QStringLiteral("1.2.0.1"));
  EXPECT_EQ(First.Hash, QStringLiteral("d0861b54bb95fd567726408d4806e913"));
  EXPECT_EQ(First.Title, QStringLiteral("Additional Game Settings"));
  const TStatsFeedMod& Last = Feed.Mods.back();
  EXPECT_EQ(Last.Name, QStringLiteral("LSFM22_additionalCams"));
  EXPECT_EQ(Last.Hash, QStringLiteral("59574431a884e78ce38dba4e1a0978ad"));
  EXPECT_EQ(Last.Title, QStringLiteral("Additional Cams"));

  // The server wrote "&amp;#93;" for the bracket.
  const auto Greenhouses = std::find_if(Feed.Mods.begin(), Feed.Mods.end(), [](const auto& Mod) {
    return Mod.Name == QStringLiteral("FS22_greenHousesModular");
  });
  ASSERT_NE(Greenhouses, Feed.Mods.end());
  EXPECT_EQ(Greenhouses->Author, QStringLiteral("Kastor [D-S-Agrarservice]"));
  EXPECT_EQ(Greenhouses->Version, QStringLiteral("1.0.0.5"));

  // Names are looked up ignoring ASCII letter case.
  ASSERT_NE(Feed.HashOf(QStringLiteral("fs22_AUTODRIVE")), nullptr);
  EXPECT_EQ(*Feed.HashOf(QStringLiteral("fs22_AUTODRIVE")),
            QStringLiteral("7b5cb10ba189565e234c525d41a472e8"));
  EXPECT_EQ(*Feed.HashOf(QStringLiteral("FS22_PlanET_BGA_Modular")),
            QStringLiteral("1c543df9b568cac7da514e5fe7228cab"));
  EXPECT_EQ(Feed.HashOf(QStringLiteral("FS22_AutoDrive.zip")), nullptr);
  EXPECT_EQ(Feed.HashOf(QStringLiteral("FS22_NotThere")), nullptr);
}

TEST(StatsFeedTest, DecodesWhatTheServerEscapedTwiceAndLowersHashes) {
  const TStatsFeed Feed =
      ParseStatsFeed("<Server game=\"Farming Simulator 25\"><Mods>"
                     "<Mod name=\"FS25_A\" author=\"X &amp;amp; Y &#xC4;\" version=\"1&amp;#46;0\" "
                     "hash=\"ABCDEF0123456789ABCDEF0123456789\">T &amp;#93; &amp;lt;b&amp;gt;</Mod>"
                     "<Mod author=\"no name\" hash=\"00\">Skipped</Mod>"
                     "<Mod name=\"FS25_\u00c4\" hash=\"11\"/>"
                     "</Mods></Server>");
  ASSERT_EQ(Feed.Mods.size(), 2);
  EXPECT_EQ(Feed.Mods[0].Author, QStringLiteral("X & Y \u00c4"));
  EXPECT_EQ(Feed.Mods[0].Version, QStringLiteral("1.0"));
  EXPECT_EQ(Feed.Mods[0].Hash, QStringLiteral("abcdef0123456789abcdef0123456789"));
  EXPECT_EQ(Feed.Mods[0].Title, QStringLiteral("T ] <b>"));
  EXPECT_EQ(*Feed.HashOf(QStringLiteral("fs25_a")),
            QStringLiteral("abcdef0123456789abcdef0123456789"));
  // Only ASCII letters are folded.
  EXPECT_NE(Feed.HashOf(QStringLiteral("FS25_\u00c4")), nullptr);
  EXPECT_EQ(Feed.HashOf(QStringLiteral("fs25_\u00e4")), nullptr);
}

TEST(StatsFeedTest, AFeedWithoutModsIsAFeed) {
  for (const char* Xml : {"<Server><Mods/></Server>", "<Server><Mods>\n  </Mods></Server>",
                          "<?xml version=\"1.0\"?><Server game=\"Farming Simulator 22\"/>"}) {
    const TStatsFeed Feed = ParseStatsFeed(Xml);
    EXPECT_TRUE(Feed.Mods.isEmpty()) << Xml;
    EXPECT_TRUE(Feed.HashByName.isEmpty()) << Xml;
  }
}

TEST(StatsFeedTest, WhatIsNoFeedRaisesAReadableReason) {
  const struct {
    const char* Name;
    QByteArray Text;
    QString Message;
  } Cases[] = {
      {"empty", "", QStringLiteral("The stats feed is not XML: No document element found")},
      {"json", R"({"server":{"mods":[]}})",
       QStringLiteral("The stats feed is not XML: No document element found")},
      {"cut off", "<Server><Mods><Mod name=\"A\"",
       QStringLiteral("The stats feed is not XML: Error parsing start element tag")},
      {"unclosed", "<Server><Mods>",
       QStringLiteral("The stats feed is not XML: Start-end tags mismatch")},
      {"login page", "<html><body><form>Login</form></body></html>",
       QStringLiteral("The page is not a dedicated server's stats feed.")},
      {"other case", "<server><Mods/></server>",
       QStringLiteral("The page is not a dedicated server's stats feed.")},
      {"savegame", "<careerSavegame><mod modName=\"A\"/></careerSavegame>",
       QStringLiteral("The page is not a dedicated server's stats feed.")},
  };
  for (const auto& Case : Cases) {
    try {
      ParseStatsFeed(Case.Text);
      ADD_FAILURE() << Case.Name << ": no error";
    } catch (const EAppError& Error) {
      EXPECT_EQ(Error.Message(), Case.Message) << Case.Name;
    }
  }
}

} // namespace
} // namespace tilvane
