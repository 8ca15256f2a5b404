// libFuzzer entry for the server mod page parser and its cell readers. Built
// only by scripts/fuzz-server-page.sh (clang); the seed corpus is
// tests/server/corpus, which the normal test suite replays.
#include "server/ServerPageExercise.h" // tests/server

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  if (!tilvane::test::ExerciseServerPageParser(AData, ASize))
    std::abort();
  return 0;
}
