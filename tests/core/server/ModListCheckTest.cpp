#include "PageMutation.h"
#include "ServerPageFixtures.h"

#include "core/server/ModListCheck.h"
#include "core/server/ModPageRows.h"
#include "core/server/ParseServerModList.h"

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

using namespace kit;

struct TLayoutCase {
  const char* Version;
  TServerPageLayout Layout;
};

const TLayoutCase LayoutCases[] = {{"8.0.0.0", TServerPageLayout::Table},
                                   {"9.0.0.0", TServerPageLayout::Table},
                                   {"9.1.0.0", TServerPageLayout::GridWithoutModHub},
                                   {"9.2.0.0", TServerPageLayout::GridWithModHub},
                                   {"10.0.0.0", TServerPageLayout::GridWithModHub}};

// Six mods, and two DLC rows: one with a link, one without (the server has
// nothing to download for a DLC).
QList<FixtureMod> RowsWithDlc() {
  QList<FixtureMod> Mods = FixtureMods(6);
  FixtureMod Linked = MakeFixtureMod(6);
  Linked.FileName = QStringLiteral("pdlc_Pack.dlc");
  Linked.Link = QStringLiteral("mods/pdlc_Pack.dlc");
  FixtureMod Unlinked = MakeFixtureMod(7);
  Unlinked.FileName = QStringLiteral("pdlc_Other.DLC");
  Unlinked.Link.clear();
  Mods.insert(2, Unlinked);
  Mods.append(Linked);
  return Mods;
}

TArrayOfServerMods ParseAs(QStringView APage, TServerPageLayout ALayout, const char* AVersion) {
  if (ALayout == TServerPageLayout::Table)
    return Parse8N9ServerModPage(APage, u'.');
  if (ALayout == TServerPageLayout::GridWithoutModHub)
    return Parse91ServerModPage(APage, u'.');
  return QByteArray(AVersion).startsWith("9.2.") ? Parse92ServerModPage(APage, u'.')
                                                 : Parse100ServerModPage(APage, u'.');
}

TModListCheck Check(const QString& APage, TServerPageLayout ALayout, const char* AVersion) {
  return CheckModList(APage, ParseAs(APage, ALayout, AVersion), ALayout);
}

TEST(ModListCheck, NamesAndLinks) {
  EXPECT_EQ(LinkedArchives(u"<a href=\"mods/A.ZIP?x=1\">a</a><a href='mods/My%20Mod.zip'>"
                           u"<a href=\"mods/a.zip\"><a href=\"x.zip.txt\"><a href=mods/p.dlc>"),
            (QStringList{QStringLiteral("A.ZIP"), QStringLiteral("My Mod.zip")}));
  for (const char* Bad : {"", ".", "..", "a/b.zip", "a\\b.zip", "C:x.zip"})
    EXPECT_FALSE(IsPlainFileName(QLatin1String(Bad))) << Bad;
  EXPECT_TRUE(IsPlainFileName(QStringLiteral("..a.zip")));
  EXPECT_TRUE(IsDlcFileName(QStringLiteral("pack.DLC")));
  EXPECT_TRUE(IsZipFileName(QStringLiteral("Mod.ZIP")));
  EXPECT_FALSE(IsZipFileName(QStringLiteral("Mod.zip.tilvane-download")));
  EXPECT_EQ(FoldedAscii(u"FS25_\u00c4rger.ZIP"), QStringLiteral("fs25_\u00c4rger.zip"));
}

TEST(ModListCheck, ReadsTheRowsOfEveryLayoutFromTheirOwnMarkup) {
  for (const TLayoutCase& Case : LayoutCases) {
    SCOPED_TRACE(Case.Version);
    const std::vector<TModPageRow> Rows =
        ModPageRows(ServerPage(QLatin1String(Case.Version), RowsWithDlc()), Case.Layout);
    // Neither the header nor the totals row counts.
    ASSERT_EQ(Rows.size(), 8u);
    EXPECT_EQ(Rows[0].FileName, QStringLiteral("FS25_Mod_0.zip"));
    EXPECT_EQ(Rows[0].Link, QStringLiteral("mods/FS25_Mod_0.zip"));
    EXPECT_EQ(Rows[2].FileName, QStringLiteral("pdlc_Other.DLC"));
    EXPECT_TRUE(Rows[2].Link.isEmpty());
    EXPECT_EQ(Rows[7].Link, QStringLiteral("mods/pdlc_Pack.dlc"));
    for (const TModPageRow& Row : Rows)
      EXPECT_FALSE(Row.MixedDetailLinks || Row.LinksAnotherArchive) << Row.FileName.toStdString();

    const TModListCheck Result =
        Check(ServerPage(QLatin1String(Case.Version), RowsWithDlc()), Case.Layout, Case.Version);
    EXPECT_TRUE(Result.Passed);
    EXPECT_EQ(Result.RecognisedRows, 6);
    EXPECT_EQ(Result.PageRows, 6);
  }
}

TEST(ModListCheck, RefusesRowsThatAreMissingMixedOrNoArchives) {
  struct TCase {
    const char* Name;
    int Recognised;
    int Rows;
  };
  const auto Page = [](const char* AVersion, const std::function<void(QList<FixtureMod>&)>& AEdit) {
    QList<FixtureMod> Mods = FixtureMods(4);
    AEdit(Mods);
    return ServerPage(QLatin1String(AVersion), Mods);
  };
  for (const TLayoutCase& Layout : LayoutCases) {
    SCOPED_TRACE(Layout.Version);
    const std::pair<TCase, QString> Cases[] = {
        {{"row without link", 3, 4}, Page(Layout.Version, [](auto& M) { M[1].Link.clear(); })},
        {{"link outside the archives' folder", 3, 4},
         Page(Layout.Version,
              [](auto& M) { M[2].Link = QStringLiteral("mods/other/FS25_Mod_2.zip"); })},
        {{"link to another archive", 3, 4},
         Page(Layout.Version, [](auto& M) { M[1].Link = QStringLiteral("mods/FS25_Mod_3.zip"); })},
        {{"file that is no archive", 3, 4},
         Page(Layout.Version,
              [](auto& M) {
                M[2].FileName = QStringLiteral("readme.txt");
                M[2].Link = QStringLiteral("mods/readme.txt");
              })},
        {{"path as file name", 3, 4},
         Page(Layout.Version,
              [](auto& M) { M[0].FileName = QStringLiteral("../FS25_Mod_0.zip"); })},
        // The detail links of two mods in one row: a row put together from
        // the first half of one and the second half of another.
        {{"two mods in one row", 3, 4},
         Page(Layout.Version,
              [](auto& M) {
                M[1].Issues = QStringLiteral("<i><a href=\"mod.html?mod_index=3\">2</a></i>");
              })},
    };
    for (const auto& [Expected, Text] : Cases) {
      const TModListCheck Result = Check(Text, Layout.Layout, Layout.Version);
      EXPECT_FALSE(Result.Passed) << Expected.Name;
      EXPECT_EQ(Result.RecognisedRows, Expected.Recognised) << Expected.Name;
      EXPECT_EQ(Result.PageRows, Expected.Rows) << Expected.Name;
    }
  }
  // Nothing listed at all is a complete list: the caller asks before acting.
  const TModListCheck Empty = Check(ServerPage(QStringLiteral("10.0.0.0"), {}),
                                    TServerPageLayout::GridWithModHub, "10.0.0.0");
  EXPECT_TRUE(Empty.Passed);
  EXPECT_EQ(Empty.PageRows, 0);
  EXPECT_EQ(ModListIncompleteMessage({4, 3, false}),
            QStringLiteral("The mod list of the server could not be read completely (3 of 4 mods "
                           "recognised). No mods were deleted."));
}

// Whatever happens to the page, a list the check passes holds only rows of
// the true page.
TEST(ModListCheckProperty, APassedListHoldsOnlyRowsOfTheTruePage) {
  for (const TLayoutCase& Layout : LayoutCases) {
    SCOPED_TRACE(Layout.Version);
    const QString Page = ServerPage(QLatin1String(Layout.Version), RowsWithDlc());
    const TMutationOutcome Outcome = MutatePage(Page, Layout.Layout, [&Layout](QStringView AText) {
      return ParseAs(AText, Layout.Layout, Layout.Version);
    });
    EXPECT_TRUE(Outcome.Failure.empty()) << Outcome.Failure;
    // Both outcomes occur: the property is not met by refusing everything.
    EXPECT_GT(Outcome.Passed, 0);
    EXPECT_GT(Outcome.Refused, 0);
  }
}

} // namespace
} // namespace tilvane::test
