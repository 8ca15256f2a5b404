#include "PageMutation.h"

#include "core/server/ModListCheck.h"

#include <algorithm>
#include <cstdlib>

namespace tilvane::test {

QString TPageMutator::Mutate(const QString& APage, TMutation AKind) {
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

qsizetype TPageMutator::Position(const QString& APage) {
  std::uniform_int_distribution<qsizetype> Any(0, APage.size());
  qsizetype At = Any(FRandom);
  if (FRandom() % 2 == 0) {
    const qsizetype Tag = APage.indexOf(u'<', At);
    At = Tag < 0 ? At : Tag;
  }
  return At;
}

std::pair<qsizetype, qsizetype> TPageMutator::Tag(const QString& APage) {
  const qsizetype Start = APage.indexOf(u'<', Position(APage));
  const qsizetype End = Start < 0 ? -1 : APage.indexOf(u'>', Start);
  return End < 0 ? std::pair<qsizetype, qsizetype>{0, 0}
                 : std::pair<qsizetype, qsizetype>{Start, End + 1 - Start};
}

// A row by what the sync acts on: the file, where it comes from, and the
// author and version that decide whether the local archive is current.
// - The page shows author and version a second time, but the blanks around a
//   value are lost in the markup's own, so they cannot be held against it.
// - In a table nothing tells the version cell from the author cell: a row
//   whose two cells traded places reads like a row of a server that lists
//   them so. Author and version are therefore compared as a pair.
// Either costs one needless download at most, never a file. The size only
// weighs the progress bar (a table page writes it once, so a damaged size
// cannot be told from a missing one) and the name is shown nowhere.
bool SameRow(const TServerMod& A, const TServerMod& B) {
  const auto Pair = [](const TServerMod& AMod) {
    const QString Version = AMod.Version.trimmed();
    const QString Author = AMod.Author.trimmed();
    return Version < Author ? std::pair(Version, Author) : std::pair(Author, Version);
  };
  return A.FileName == B.FileName && A.DownloadURL == B.DownloadURL && Pair(A) == Pair(B);
}

namespace {

int FromEnvironment(const char* AName, int ADefault) {
  const char* Value = std::getenv(AName);
  return Value && *Value ? std::atoi(Value) : ADefault;
}

std::string Describe(TMutation AKind, int AIndex, const TServerMod& AMod, const QString& APage) {
  return "mutation " + std::to_string(static_cast<int>(AKind)) + " #" + std::to_string(AIndex) +
         " passed " + AMod.FileName.toStdString() + " | " + AMod.Version.toStdString() + " | " +
         AMod.Author.toStdString() + " | " + AMod.DownloadURL.toStdString() + "\n" +
         APage.toStdString();
}

} // namespace

TMutationOutcome MutatePage(const QString& APage, TServerPageLayout ALayout,
                            const std::function<TArrayOfServerMods(QStringView)>& AReader) {
  TMutationOutcome Outcome;
  const TArrayOfServerMods Truth = AReader(APage);
  if (!CheckModList(APage, Truth, ALayout).Passed) {
    Outcome.Failure = "the unmutated page does not pass";
    return Outcome;
  }
  const int PerKind = FromEnvironment("TILVANE_MUTATIONS", 400);
  TPageMutator Mutator(static_cast<unsigned>(FromEnvironment("TILVANE_MUTATION_SEED", 20261210)));
  for (const TMutation Kind :
       {TMutation::Truncate, TMutation::DeleteSlice, TMutation::DuplicateSlice,
        TMutation::MoveSlice, TMutation::ReplaceTag}) {
    for (int I = 0; I < PerKind; ++I) {
      const QString Mutated = Mutator.Mutate(APage, Kind);
      const TArrayOfServerMods Mods = AReader(Mutated);
      const TModListCheck Check = CheckModList(Mutated, Mods, ALayout);
      if (Check.RecognisedRows > Check.PageRows) {
        Outcome.Failure = "more rows recognised than counted";
        return Outcome;
      }
      if (!Check.Passed) {
        ++Outcome.Refused;
        continue;
      }
      ++Outcome.Passed;
      for (const TServerMod& Mod : Mods) {
        if (IsDlcFileName(Mod.FileName))
          continue;
        if (std::none_of(Truth.begin(), Truth.end(),
                         [&Mod](const TServerMod& R) { return SameRow(R, Mod); })) {
          Outcome.Failure = Describe(Kind, I, Mod, Mutated);
          return Outcome;
        }
      }
    }
  }
  return Outcome;
}

} // namespace tilvane::test
