// libFuzzer entry for the server mod page parser and its cell readers. Built
// only by scripts/fuzz-server-page.sh (clang); the seed corpus is
// tests/core/server/corpus, which the normal test suite replays.
#include "core/server/ServerPageExercise.h" // tests/core/server

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  if (!tilvane::test::ExerciseServerPageParser(AData, ASize))
    std::abort();
  return 0;
}
