#include "ModPages.h"
#include "ServerPageFixtures.h"

#include "core/server/ModPageReading.h"
#include "core/server/ParseServerModList.h"
#include "core/server/ServerVersionMarkers.h"
#include "support/ScriptedPromptService.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tilvane;
using namespace tilvane::kit;
using namespace tilvane::test;
using namespace tilvane::servermodpage;

namespace {

// What a fixture row must come back as.
void ExpectRow(const TServerMod& AMod, const FixtureMod& AExpected, bool ATable, bool AWithModHub) {
  EXPECT_EQ(AMod.Name, AExpected.Name);
  EXPECT_EQ(AMod.Version, AExpected.Version);
  EXPECT_EQ(AMod.Author, AExpected.Author);
  EXPECT_EQ(AMod.FileName, AExpected.FileName);
  EXPECT_EQ(AMod.DownloadURL, AExpected.Link);
  EXPECT_EQ(AMod.SizeMB, ParseSizeMB(AExpected.Size, u'.'));
  EXPECT_GT(AMod.SizeMB, 0);
  const QString Issues = ParseTextLine(AExpected.Issues);
  EXPECT_EQ(AMod.NumOfIssues, !ATable && Issues == u"&nbsp" ? QString() : Issues);
  EXPECT_EQ(AMod.ModHub, AWithModHub ? AExpected.ModHub : QString());
  EXPECT_EQ(AMod.Active, AExpected.Active);
}

TEST(ServerModPageTest, EachServerVersionIsReadByItsGrammar) {
  const struct {
    const char* Version;
    bool Table;
    bool ModHub;
    TFSVersion FSVersion;
  } Cases[] = {
      {"8.0.0.0", true, false, TFSVersion::fsv19},  {"9.0.0.0", true, false, TFSVersion::fsv22},
      {"9.1.0.0", false, false, TFSVersion::fsv22}, {"9.2.0.0", false, true, TFSVersion::fsv22},
      {"10.0.0.0", false, true, TFSVersion::fsv25},
  };
  QList<FixtureMod> Mods = FixtureMods(7);
  // No download icon: no record. A grid row reads on into the next row's text
  // when its own runs short, so only the last one can lack the icon there.
  Mods[6].Link.clear();
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Version);
    const QString Page = ServerPage(QLatin1String(Case.Version), Mods);
    ASSERT_EQ(DetectServerVersion(Page)->FSVersion, Case.FSVersion);
    ScriptedPromptService Prompts;
    const TParseServerModPageResult Result = ParseServerModPage(Page, Prompts, u'.');
    EXPECT_TRUE(Result.Successful);
    EXPECT_TRUE(Prompts.History().empty());
    ASSERT_EQ(Result.Mods.size(), 6);
    for (int I = 0; I < 6; ++I) {
      SCOPED_TRACE(I);
      ExpectRow(Result.Mods[I], Mods[I], Case.Table, Case.ModHub);
    }
    if (Case.Table) {
      // A table row without a link in the middle: the rows after it are read.
      QList<FixtureMod> Gap = Mods;
      Gap[3].Link.clear();
      const auto Rows = Parse8N9ServerModPage(TablePage(QLatin1String(Case.Version), Gap), u'.');
      ASSERT_EQ(Rows.size(), 5);
      EXPECT_EQ(Rows[3].FileName, Gap[4].FileName);
    }
  }
}

// The page is HTML: what a modDesc.xml says, and what the player sees, is the
// text its references stand for. The server writes a "]" that the game kept
// as "&#93;" as "&amp;#93;".
TEST(ServerModPageTest, NamesAuthorsAndVersionsAreReadWithoutTheirCharacterReferences) {
  std::vector<TPageRow> Rows(3);
  Rows[0].FileName = QStringLiteral("FS25_Dealer.zip");
  Rows[0].Title = QStringLiteral("&quot;Big&quot; Dealer &amp; Shop");
  Rows[0].Author = QStringLiteral("Kastor [D-S-Agrarservice&amp;#93;");
  Rows[1].FileName = QStringLiteral("FS25_Hof.zip");
  Rows[1].Title = QStringLiteral("Hof &#38; Stall &#x5B;v2&#93;");
  Rows[1].Author = QStringLiteral("A &amp; B &quot;Team&quot;");
  Rows[1].Version = QStringLiteral("1.0.0.0 &lt;beta&gt;");
  Rows[2].FileName = QStringLiteral("FS25_Plain.zip");
  Rows[2].Title = QStringLiteral("Tom &amp;amp; Jerry &copy; &#0; &#xZZ;");
  Rows[2].Author = QStringLiteral("M&amp;M");
  const struct {
    const char* Name;
    TPageLayout Layout;
    bool Admin; // the administrator's grid: read by the grid reader
  } Cases[] = {
      {"FS22 table", TPageLayout::Table90, false},
      {"FS22 grid", TPageLayout::Grid92, false},
      {"FS25 grid", TPageLayout::Grid100, false},
      {"FS25 administrator's grid", TPageLayout::Grid100, true},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const QString Page =
        Case.Admin ? MakeAdminModPage(Case.Layout, Rows) : MakeModPage(Case.Layout, Rows);
    const TModPageReading Reading = ReadModPage(Page, u'.');
    // The check holds the rows against the page's own markup: both decoded.
    EXPECT_TRUE(Reading.Check.Passed) << qPrintable(ModPageReadingSummary(Reading));
    EXPECT_EQ(Reading.Reader, Case.Admin ? TModPageReader::GridReader : TModPageReader::Grammar);
    ASSERT_EQ(Reading.Mods.size(), 3);
    const TArrayOfServerMods& Mods = Reading.Mods;
    EXPECT_EQ(Mods[0].Name, QStringLiteral("\"Big\" Dealer & Shop"));
    EXPECT_EQ(Mods[0].Author, QStringLiteral("Kastor [D-S-Agrarservice]"));
    EXPECT_EQ(Mods[0].Version, QStringLiteral("1.0.0.0"));
    EXPECT_EQ(Mods[1].Name, QStringLiteral("Hof & Stall [v2]"));
    EXPECT_EQ(Mods[1].Author, QStringLiteral("A & B \"Team\""));
    EXPECT_EQ(Mods[1].Version, QStringLiteral("1.0.0.0 <beta>"));
    // Decoded once: a named reference the decoding leaves is the mod's own
    // text, and what is no reference stays.
    EXPECT_EQ(Mods[2].Name, QStringLiteral("Tom &amp; Jerry &copy; &#0; &#xZZ;"));
    EXPECT_EQ(Mods[2].Author, QStringLiteral("M&M"));
    for (int I = 0; I < 3; ++I) {
      EXPECT_EQ(Mods[I].FileName, Rows[static_cast<size_t>(I)].FileName);
      EXPECT_EQ(Mods[I].DownloadURL,
                QStringLiteral("mods/") + Rows[static_cast<size_t>(I)].FileName);
    }
  }
}

TEST(ServerModPageTest, FileNamesAndLinksStayAsThePageWritesThem) {
  // A link's query and a file name are the server's, byte for byte: the
  // download asks for exactly what the page links.
  std::vector<TPageRow> Rows(1);
  Rows[0].FileName = QStringLiteral("FS22_Big&amp;Small.zip");
  Rows[0].DownloadURL = QStringLiteral("mods/FS22_Big%26Small.zip?x=1&amp;y=2");
  for (const TPageLayout Layout : {TPageLayout::Table90, TPageLayout::Grid92}) {
    const TArrayOfServerMods Mods = TryParseServerModPage(MakeModPage(Layout, Rows), u'.').Mods;
    ASSERT_EQ(Mods.size(), 1);
    EXPECT_EQ(Mods[0].FileName, QStringLiteral("FS22_Big&amp;Small.zip"));
    EXPECT_EQ(Mods[0].DownloadURL, QStringLiteral("mods/FS22_Big%26Small.zip?x=1&amp;y=2"));
  }
}

TEST(ServerModPageTest, MarkersDecideInTableOrderAndAcceptPlainHttp) {
  const QString Mods = GridPage(QStringLiteral("10.0.0.0"), FixtureMods(2), true);
  EXPECT_EQ(DetectServerVersion(Mods)->VersionPrefix, u"10.0.");
  // Both the 8.0 and the 10.0 marker: the table grammar is used.
  const QString Both = Mods + QStringLiteral("<a href=\"https://www.farming-simulator.com\">8.0.1");
  EXPECT_EQ(DetectServerVersion(Both)->VersionPrefix, u"8.0.");
  EXPECT_TRUE(
      ParseServerModPage(Both, *std::make_unique<ScriptedPromptService>(), u'.').Mods.isEmpty());

  QString Http = Mods;
  Http.replace(QStringLiteral("https://www.farming"), QStringLiteral("http://www.farming"));
  EXPECT_EQ(DetectServerVersion(Http)->FSVersion, TFSVersion::fsv25);
  // The prefix must follow the anchor at once, and only the publisher's address counts.
  for (const char* Page : {"<a href=\"https://www.farming-simulator.com\"> 9.0.0.0</a>",
                           "<a href=\"https://www.farming-simulator.com/\">9.0.0.0</a>",
                           "<a href=\"https://example.com\">9.0.0.0</a>", "9.0.0.0", ""}) {
    SCOPED_TRACE(Page);
    EXPECT_FALSE(DetectServerVersion(QString::fromUtf8(Page)));
    ScriptedPromptService Prompts;
    const auto Result = ParseServerModPage(QString::fromUtf8(Page), Prompts, u'.');
    EXPECT_FALSE(Result.Successful);
    EXPECT_EQ(Prompts.Messages(),
              QStringList{QStringLiteral(
                  "Unable to detect the Farming Simulator dedicated server version.")});
  }
}

TEST(ServerModPageTest, CellReaders) {
  EXPECT_EQ(ParseTextLine(u"<i><span>Yes</span></i>"), u"Yes");
  EXPECT_EQ(ParseTextLine(u"a > b<br>\n  c&amp;d"), u"a > b\n  c&amp;d");
  EXPECT_EQ(ParseTextLine(u"open <tag never closed"), u"open ");
  EXPECT_EQ(ParseTitleLine(u"<td title=\"A \"quoted\" \"name\"><a>"), u"A \"quoted\" \"name");
  EXPECT_EQ(ParseTitleLine(u"<td title=\"no end\" class=x>"), QString());
  EXPECT_EQ(ParseTitleLine(u"<td title=no-quote\">"), QString());
  EXPECT_EQ(ParseTitleLine(u"<td title=\">"), QString());
  EXPECT_EQ(ParseDownloadURL(u"<a title=\"x\" href=\"mods/A%20B.zip?x=1&amp;y\"><img>"),
            u"mods/A%20B.zip?x=1&amp;y");
  EXPECT_EQ(ParseDownloadURL(u"<a href=\"unterminated"), QString());
  EXPECT_EQ(ParseDownloadURL(u"<a href=mods/x.zip>"), QString());
}

TEST(ServerModPageTest, SizeFollowsTheDecimalSeparator) {
  const struct {
    const char16_t* Text;
    QChar Separator;
    qint64 Expected;
  } Cases[] = {
      {u"1234.5 MB", u'.', 12345000},
      {u"1234.5 MB", u',', 0},
      {u"1234,5 MB", u',', 12345000},
      {u"1,234.5 MB", u'.', 0},
      {u"1.234,5 MB", u',', 0},
      {u"0.00005 MB", u'.', 1},
      {u"  38.04 MB ", u'.', 380400},
      {u"38.04 mb", u'.', 0},
      {u"   ", u'.', 0},
      {u"", u'.', 0},
      {u"MB", u'.', 0},
      {u"1e3 MB", u'.', 10000000},
      {u"-2 MB", u'.', -20000},
      {u"1e999", u'.', 0},
      {u"12 MB MB", u'.', 120000},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(QString::fromUtf16(Case.Text).toStdString());
    EXPECT_EQ(ParseSizeMB(QStringView(Case.Text), Case.Separator), Case.Expected);
  }
  // The whole page follows the separator it is given.
  const QString Page = ServerPage(QStringLiteral("10.0.0.0"), FixtureMods(2));
  EXPECT_EQ(Parse100ServerModPage(Page, u',').front().SizeMB, 0);
}

TEST(ServerModPageTest, IssuesCellEntityOnlyEmptiesInTheGridAndWithoutSemicolon) {
  QList<FixtureMod> Mods = FixtureMods(3);
  Mods[0].Issues = QStringLiteral("&nbsp");
  Mods[1].Issues = QStringLiteral("&nbsp;");
  Mods[2].Issues = QStringLiteral("\n    <i>3</i>\n  ");
  const auto Grid = Parse92ServerModPage(GridPage(QStringLiteral("9.2.0.0"), Mods, true), u'.');
  ASSERT_EQ(Grid.size(), 3);
  EXPECT_EQ(Grid[0].NumOfIssues, QString());
  EXPECT_EQ(Grid[1].NumOfIssues, u"&nbsp;");
  EXPECT_EQ(Grid[2].NumOfIssues, u"\n    3\n  "); // line breaks and indentation kept
  const auto Table = Parse8N9ServerModPage(TablePage(QStringLiteral("9.0.0.0"), Mods), u'.');
  ASSERT_EQ(Table.size(), 3);
  EXPECT_EQ(Table[0].NumOfIssues, u"&nbsp");
}

TEST(ServerModPageTest, TableRowsWithAttributesAreReadAfterTheFirstPlainRow) {
  const QList<FixtureMod> Mods = FixtureMods(3);
  // Every data row has a class: no plain <tr> after the header, nothing read.
  EXPECT_TRUE(Parse8N9ServerModPage(
                  TablePage(QStringLiteral("9.0.0.0"), Mods, QStringLiteral("class=\"odd\"")), u'.')
                  .isEmpty());
  // A plain row first: it and the rows after it are read whatever their attributes.
  QString Page = TablePage(QStringLiteral("9.0.0.0"), Mods, QStringLiteral("class=\"odd\""));
  Page.replace(Page.indexOf(QStringLiteral("<tr class=\"odd\">")), 16, QStringLiteral("<tr>"));
  const auto Rows = Parse8N9ServerModPage(Page, u'.');
  ASSERT_EQ(Rows.size(), 3);
  EXPECT_EQ(Rows[2].FileName, Mods[2].FileName);
}

TEST(ServerModPageTest, GridPagesWithoutRowsGiveNoRecordsButSucceed) {
  ScriptedPromptService Prompts;
  QString Page = GridPage(QStringLiteral("9.2.0.0"), FixtureMods(2), true);
  Page.replace(QStringLiteral("<div class=\"container-row col col-lg-2"),
               QStringLiteral("<div class=\"container-row col col-lg-5"));
  const auto Result = ParseServerModPage(Page, Prompts, u'.');
  EXPECT_TRUE(Result.Successful);
  EXPECT_TRUE(Result.Mods.isEmpty());
  EXPECT_TRUE(Prompts.History().empty());
}

// Truncated and mutated pages of every layout: any result is fine, as long as
// the parser returns and stays inside the text (the sanitizers watch that).
TEST(ServerModPageTest, BrokenPagesNeitherCrashNorHang) {
  QRandomGenerator Random(4711);
  const QString Pieces[] = {QStringLiteral("<div class=\"container-row grid-row\">"),
                            QStringLiteral("<div class=\"col"),
                            QStringLiteral("\">"),
                            QStringLiteral("</div>"),
                            QStringLiteral("<tr>"),
                            QStringLiteral("</td>"),
                            QStringLiteral("\"><img"),
                            QStringLiteral("title=\""),
                            QStringLiteral(">&nbsp<")};
  for (const char* Version : {"9.0.0.0", "9.1.0.0", "10.0.0.0"}) {
    SCOPED_TRACE(Version);
    const QString Page = ServerPage(QLatin1String(Version), FixtureMods(2));
    const int Full = TryParseServerModPage(Page, u'.').Mods.size();
    EXPECT_EQ(Full, 2);
    for (qsizetype Length = 0; Length <= Page.size(); ++Length) {
      const QStringView Cut = QStringView(Page).first(Length);
      // Copy the cut so that the address sanitizer sees reads past its end.
      const QString Copy = Cut.toString();
      const auto Result = TryParseServerModPage(Copy, u'.');
      EXPECT_LE(Result.Mods.size(), Full);
      // The marker sits in the footer; parse the grammar itself, too.
      Parse8N9ServerModPage(Copy, u'.');
      Parse91ServerModPage(Copy, u'.');
      Parse92ServerModPage(Copy, u'.');
    }
    for (int Round = 0; Round < 300; ++Round) {
      QString Mutated = Page;
      for (int Edit = 0; Edit < 8; ++Edit) {
        const qsizetype At = Random.bounded(Mutated.size());
        switch (Random.bounded(3)) {
        case 0:
          Mutated.remove(At, Random.bounded(40));
          break;
        case 1:
          Mutated.insert(At, Pieces[Random.bounded(int(std::size(Pieces)))]);
          break;
        default:
          Mutated[At] = QChar(u"<>\"=/ "[Random.bounded(6)]);
        }
      }
      TryParseServerModPage(Mutated, u'.');
      Parse91ServerModPage(Mutated, u'.');
      Parse8N9ServerModPage(Mutated, u'.');
    }
  }
}

} // namespace
