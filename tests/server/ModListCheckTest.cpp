#include "ServerPageFixtures.h"

#include "server/ModListCheck.h"
#include "server/ModPageRows.h"
#include "server/ParseServerModList.h"

#include <gtest/gtest.h>

#include <random>

namespace tilvane::test {
namespace {

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

// ---- whatever happens to the page, a passed list holds only true rows -----

enum class TMutation { Truncate, DeleteSlice, DuplicateSlice, MoveSlice, ReplaceTag };

class TPageMutator {
public:
  explicit TPageMutator(unsigned ASeed) : FRandom(ASeed) {}

  QString Mutate(const QString& APage, TMutation AKind) {
    QString Page = APage;
    qsizetype A = Position(Page), B = Position(Page);
    if (A > B)
      std::swap(A, B);
    switch (AKind) {
    case TMutation::Truncate:
      Page.truncate(A);
      break;
    case TMutation::DeleteSlice:
      Page.remove(A, B - A);
      break;
    case TMutation::DuplicateSlice:
      Page.insert(Position(Page), Page.mid(A, B - A));
      break;
    case TMutation::MoveSlice: {
      const QString Slice = Page.mid(A, B - A);
      Page.remove(A, B - A);
      Page.insert(Position(Page), Slice);
      break;
    }
    case TMutation::ReplaceTag: {
      const auto [Start, Length] = Tag(Page);
      const auto [OtherStart, OtherLength] = Tag(Page);
      if (Length > 0)
        Page.replace(Start, Length, Page.mid(OtherStart, OtherLength));
      break;
    }
    }
    return Page;
  }

private:
  // Half of the cuts fall on the edge of a tag, where they keep the markup
  // plausible; the rest anywhere.
  qsizetype Position(const QString& APage) {
    std::uniform_int_distribution<qsizetype> Any(0, APage.size());
    qsizetype At = Any(FRandom);
    if (FRandom() % 2 == 0) {
      const qsizetype Tag = APage.indexOf(u'<', At);
      At = Tag < 0 ? At : Tag;
    }
    return At;
  }
  std::pair<qsizetype, qsizetype> Tag(const QString& APage) {
    const qsizetype Start = APage.indexOf(u'<', Position(APage));
    const qsizetype End = Start < 0 ? -1 : APage.indexOf(u'>', Start);
    return End < 0 ? std::pair<qsizetype, qsizetype>{0, 0}
                   : std::pair<qsizetype, qsizetype>{Start, End + 1 - Start};
  }

  std::mt19937 FRandom;
};

// A row by what the sync acts on: the file, where it comes from, and the
// author and version that decide whether the local archive is current. The
// page shows author and version a second time, but the blanks around a
// value are lost in the markup's own, so they cannot be held against it: a
// blank too many costs one download, never a file. The size only weighs the
// progress bar (a table page writes it once, so a damaged size cannot be
// told from a missing one) and the name is shown nowhere.
bool SameRow(const TServerMod& A, const TServerMod& B) {
  return A.FileName == B.FileName && A.Version.trimmed() == B.Version.trimmed() &&
         A.Author.trimmed() == B.Author.trimmed() && A.DownloadURL == B.DownloadURL;
}

TEST(ModListCheckProperty, APassedListHoldsOnlyRowsOfTheTruePage) {
  constexpr int MutationsPerKind = 400;
  for (const TLayoutCase& Layout : LayoutCases) {
    SCOPED_TRACE(Layout.Version);
    const QString Page = ServerPage(QLatin1String(Layout.Version), RowsWithDlc());
    const TArrayOfServerMods Truth = ParseAs(Page, Layout.Layout, Layout.Version);
    ASSERT_TRUE(CheckModList(Page, Truth, Layout.Layout).Passed);
    TPageMutator Mutator(20261210);
    int Passed = 0;
    int Refused = 0;
    for (const TMutation Kind :
         {TMutation::Truncate, TMutation::DeleteSlice, TMutation::DuplicateSlice,
          TMutation::MoveSlice, TMutation::ReplaceTag}) {
      for (int I = 0; I < MutationsPerKind; ++I) {
        const QString Mutated = Mutator.Mutate(Page, Kind);
        const TArrayOfServerMods Mods = ParseAs(Mutated, Layout.Layout, Layout.Version);
        const TModListCheck Result = CheckModList(Mutated, Mods, Layout.Layout);
        ASSERT_LE(Result.RecognisedRows, Result.PageRows);
        if (!Result.Passed) {
          ++Refused;
          continue;
        }
        ++Passed;
        for (const TServerMod& Mod : Mods) {
          if (IsDlcFileName(Mod.FileName))
            continue;
          const bool True = std::any_of(Truth.begin(), Truth.end(),
                                        [&](const TServerMod& R) { return SameRow(R, Mod); });
          ASSERT_TRUE(True) << "mutation " << static_cast<int>(Kind) << " #" << I << " passed "
                            << Mod.FileName.toStdString() << " " << Mod.Version.toStdString() << " "
                            << Mod.Author.toStdString() << " " << Mod.DownloadURL.toStdString()
                            << "\n"
                            << Mutated.toStdString();
        }
      }
    }
    // Both outcomes occur: the property is not met by refusing everything.
    EXPECT_GT(Passed, 0);
    EXPECT_GT(Refused, 0);
  }
}

} // namespace
} // namespace tilvane::test
