#include "server/ServerPageFixtures.h" // tests/server

#include "server/ParseServerModList.h"

#include <benchmark/benchmark.h>

using namespace tilvane;

namespace {

// Parses a generated page of state.range(0) rows in the layout of the given
// server version.
void ParsePage(benchmark::State& AState, const char* AVersion) {
  const QString Page =
      test::ServerPage(QLatin1String(AVersion), test::FixtureMods(int(AState.range(0))));
  for (auto _ : AState) {
    const TParseServerModPageResult Result = TryParseServerModPage(Page, u'.');
    if (Result.Mods.size() != AState.range(0))
      AState.SkipWithError("rows lost");
    benchmark::DoNotOptimize(Result);
  }
  AState.counters["page_MB"] = double(Page.size() * 2) / 1e6;
  AState.SetItemsProcessed(AState.iterations() * AState.range(0));
}

} // namespace

BENCHMARK_CAPTURE(ParsePage, table_9_0, "9.0.0.0")
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParsePage, grid_9_1, "9.1.0.0")
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParsePage, grid_10_0, "10.0.0.0")
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
