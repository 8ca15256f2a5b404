#include "PageMutation.h"
#include "ServerPageFixtures.h"

#include "core/server/GridPageReader.h"
#include "core/server/ModPageReading.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

using namespace kit;

struct TGridCase {
  const char* Version;
  bool WithModHub;
};

const TGridCase GridCases[] = {{"9.1.0.0", false}, {"9.2.0.0", true}, {"10.0.0.0", true}};

std::string Fields(const TServerMod& AMod) {
  return (QStringList{AMod.Name, AMod.Version, AMod.Author, AMod.FileName, AMod.DownloadURL,
                      QString::number(AMod.SizeMB), AMod.NumOfIssues, AMod.ModHub, AMod.Active})
      .join(QStringLiteral(" | "))
      .toStdString();
}

// The rows a sync acts on: the grammar reads a DLC row without a link on
// into the next row's link, which nobody uses.
TArrayOfServerMods Archives(const TArrayOfServerMods& AMods) {
  TArrayOfServerMods Result;
  for (const TServerMod& Mod : AMods) {
    if (!IsDlcFileName(Mod.FileName))
      Result.append(Mod);
  }
  return Result;
}

void ExpectSameRows(const TArrayOfServerMods& AActual, const TArrayOfServerMods& AExpected) {
  ASSERT_EQ(AActual.size(), AExpected.size());
  for (qsizetype I = 0; I < AActual.size(); ++I)
    EXPECT_EQ(Fields(AActual[I]), Fields(AExpected[I])) << "row " << I;
}

TEST(GridPageReaderTest, AdministratorsViewReadsLikeThePublicPage) {
  for (const TGridCase& Case : GridCases) {
    SCOPED_TRACE(Case.Version);
    const QString Version = QLatin1String(Case.Version);
    const QString Public = ServerPage(Version, VariedFixtureMods());
    const QString Admin = AdminGridPage(Version, VariedFixtureMods(), Case.WithModHub);
    const TArrayOfServerMods Grammar = Archives(TryParseServerModPage(Public, u'.').Mods);
    const TArrayOfServerMods Read = ReadGridModPage(Admin, Case.WithModHub, u'.');
    ExpectSameRows(Read, Grammar);
    // The public page reads the same way with either reader.
    ExpectSameRows(ReadGridModPage(Public, Case.WithModHub, u'.'), Grammar);

    // Eight mods; the DLC without a link, the header and the totals are none.
    ASSERT_EQ(Read.size(), 8);
    EXPECT_EQ(Read[1].Name, QStringLiteral("Hof & Stall"));
    EXPECT_EQ(Read[2].Author, QStringLiteral("J\u00fcrgen \u00d6lm\u00fcller"));
    EXPECT_EQ(Read[3].SizeMB, 4500);
    EXPECT_EQ(Read[4].SizeMB, 12345600);
    EXPECT_EQ(Read[5].FileName, QStringLiteral("FS25_Mod_5.zip"));
    EXPECT_EQ(Read[0].NumOfIssues, QString());
    EXPECT_EQ(Read[1].NumOfIssues, QStringLiteral("1"));
    EXPECT_EQ(Read[0].Active, QStringLiteral("No"));
    EXPECT_EQ(Read[0].ModHub, Case.WithModHub ? QStringLiteral("Yes") : QString());
  }
}

TEST(GridPageReaderTest, ASyncTakesTheGridReaderOnlyWhereTheGrammarFails) {
  for (const TGridCase& Case : GridCases) {
    SCOPED_TRACE(Case.Version);
    const QString Version = QLatin1String(Case.Version);
    const TModPageReading Public = ReadModPage(ServerPage(Version, VariedFixtureMods()), u'.');
    EXPECT_EQ(Public.Reader, TModPageReader::Grammar);
    EXPECT_TRUE(Public.Check.Passed);
    EXPECT_FALSE(Public.GridReaderTried);
    EXPECT_EQ(ModPageReadingSummary(Public),
              QStringLiteral("Mod list read completely by the page grammar: 8 mods."));

    const TModPageReading Admin =
        ReadModPage(AdminGridPage(Version, VariedFixtureMods(), Case.WithModHub), u'.');
    EXPECT_EQ(Admin.Reader, TModPageReader::GridReader);
    EXPECT_TRUE(Admin.Check.Passed);
    EXPECT_EQ(Admin.Mods.size(), 8);
    EXPECT_FALSE(Admin.GrammarCheck.Passed);
    EXPECT_TRUE(ModPageReadingSummary(Admin).startsWith(
        QStringLiteral("Mod list read completely by the grid reader: 8 mods (the page grammar "
                       "recognised ")));
  }
  // A row the grid reader cannot vouch for either: the sync is refused.
  QList<FixtureMod> Mods = VariedFixtureMods();
  Mods[3].Link.clear();
  const TModPageReading Broken =
      ReadModPage(AdminGridPage(QStringLiteral("10.0.0.0"), Mods, true), u'.');
  EXPECT_FALSE(Broken.Check.Passed);
  EXPECT_EQ(Broken.Check.RecognisedRows, 7);
  EXPECT_EQ(Broken.Check.PageRows, 8);
  EXPECT_TRUE(ModPageReadingSummary(Broken).endsWith(QStringLiteral(", the grid reader 7 of 8.")));
  // Tables are read by their grammar alone.
  EXPECT_FALSE(ReadModPage(ServerPage(QStringLiteral("9.0.0.0"), Mods), u'.').GridReaderTried);
}

TEST(GridPageReaderTest, MarkupThatMovesOrAddsThingsDoesNotDisturbIt) {
  const QString Admin = AdminGridPage(QStringLiteral("10.0.0.0"), VariedFixtureMods(), true);
  const TArrayOfServerMods Expected = ReadGridModPage(Admin, true, u'.');
  ASSERT_EQ(Expected.size(), 8);
  const std::pair<const char*, QString> Variants[] = {
      {"title before class",
       QString(Admin).replace(
           QRegularExpression(QStringLiteral("<div class=\"(container-row col [^\"]*)\" "
                                             "title=\"([^\"]*)\">")),
           QStringLiteral("<div title=\"\\2\" class=\"\\1\">"))},
      {"line breaks and blanks in tags",
       QString(Admin)
           .replace(QStringLiteral("<div class="), QStringLiteral("<div\n   class = "))
           .replace(QStringLiteral("\" title="), QStringLiteral("\"\n\ttitle="))},
      {"more classes", QString(Admin).replace(QStringLiteral("class=\"container-row "),
                                              QStringLiteral("class=\"mod container-row "))},
      {"images and buttons", QString(Admin).replace(QStringLiteral("<b>Version</b>"),
                                                    QStringLiteral("<b>Version</b><img "
                                                                   "src=\"i.png\"><button>?"
                                                                   "</button>"))},
  };
  for (const auto& [Name, Page] : Variants) {
    SCOPED_TRACE(Name);
    ASSERT_NE(Page, Admin);
    ExpectSameRows(ReadGridModPage(Page, true, u'.'), Expected);
  }

  // Without its ModHub cell a row keeps its other values.
  QString Missing = Admin;
  const qsizetype ModHub = Missing.indexOf(QStringLiteral("<b>ModHub</b>"));
  const qsizetype Start = Missing.lastIndexOf(QStringLiteral("<div class=\"container-row"), ModHub);
  qsizetype End = ModHub;
  for (int Closes = 0; Closes < 3; ++Closes) // label, value, cell
    End = Missing.indexOf(QStringLiteral("</div>"), End) + 6;
  Missing.remove(Start, End - Start);
  const TArrayOfServerMods Read = ReadGridModPage(Missing, true, u'.');
  ASSERT_EQ(Read.size(), 8);
  EXPECT_EQ(Read[0].ModHub, QString());
  EXPECT_EQ(Read[0].Active, QStringLiteral("No"));
  EXPECT_EQ(Read[0].FileName, QStringLiteral("FS25_Mod_0.zip"));
  ExpectSameRows(Read.mid(1), Expected.mid(1));
}

// Whatever happens to an administrator's page, a list of the grid reader that
// the check passes holds only rows of the true page.
TEST(GridPageReaderProperty, APassedListHoldsOnlyRowsOfTheTruePage) {
  for (const TGridCase& Case : GridCases) {
    SCOPED_TRACE(Case.Version);
    const TServerPageLayout Layout =
        Case.WithModHub ? TServerPageLayout::GridWithModHub : TServerPageLayout::GridWithoutModHub;
    const TMutationOutcome Outcome = MutatePage(
        AdminGridPage(QLatin1String(Case.Version), VariedFixtureMods(), Case.WithModHub), Layout,
        [&Case](QStringView AText) { return ReadGridModPage(AText, Case.WithModHub, u'.'); });
    EXPECT_TRUE(Outcome.Failure.empty()) << Outcome.Failure;
    EXPECT_GT(Outcome.Passed, 0);
    EXPECT_GT(Outcome.Refused, 0);
  }
}

} // namespace
} // namespace tilvane::test
