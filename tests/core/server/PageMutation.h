#pragma once

#include "core/server/ParseServerModList.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <random>
#include <string>

namespace tilvane::test {

enum class TMutation { Truncate, DeleteSlice, DuplicateSlice, MoveSlice, ReplaceTag };

// Damages a page the ways a transfer, a proxy or a broken server might, and
// more: cut short, a slice deleted, duplicated or moved, a tag replaced by
// another of the page. Half of the cuts fall on the edge of a tag, where
// they keep the markup plausible.
class TPageMutator {
public:
  explicit TPageMutator(unsigned ASeed) : FRandom(ASeed) {}
  QString Mutate(const QString& APage, TMutation AKind);

private:
  qsizetype Position(const QString& APage);
  std::pair<qsizetype, qsizetype> Tag(const QString& APage);

  std::mt19937 FRandom;
};

// Whether two rows are the same to the sync (see the definition).
bool SameRow(const TServerMod& A, const TServerMod& B);

struct TMutationOutcome {
  int Passed = 0;      // mutated pages whose list the check passed
  int Refused = 0;     // and those it refused
  std::string Failure; // the first passed row that is no row of the true page
};

// Reads APage with AReader, then each of many mutations of it, and checks
// that whenever the list check passes a reading, each of its rows (DLC rows
// aside) is a row the reader found in the unmutated page. The number of
// mutations per kind and the seed can be raised through the environment
// (TILVANE_MUTATIONS, TILVANE_MUTATION_SEED) for a long run by hand.
TMutationOutcome MutatePage(const QString& APage, TServerPageLayout ALayout,
                            const std::function<TArrayOfServerMods(QStringView)>& AReader);

} // namespace tilvane::test
