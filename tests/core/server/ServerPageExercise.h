#pragma once

#include <cstddef>
#include <cstdint>

namespace tilvane::test {

// Runs one arbitrary input (read as UTF-8, the way a fetched page arrives)
// through the page detection, each row grammar, the grid reader, the check of
// the mod list and the cell readers, and checks what must hold whatever the
// text: every record has its download link, no field is longer than the
// page, and a list the check passes names only plain ".zip" files. False
// when one of those fails. Shared by the fuzzer and by the test that replays
// its seed corpus.
bool ExerciseServerPageParser(const std::uint8_t* AData, std::size_t ASize);

} // namespace tilvane::test
