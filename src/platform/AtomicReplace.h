#pragma once

#include <string>
#include <string_view>

namespace tilvane::platform {

// Replaces the content of the file APath with AData in one step, on Windows:
// the data goes to a sibling temporary file, every write and the flush to the
// disk checked, and only then does that file take the old one's place with
// ReplaceFileW. The file keeps what a rename would lose: its attributes
// (hidden, read-only) and its security settings. A crash at any moment leaves
// the old or the new content, never a stump. A missing file is created.
// Throws PlatformError with the system's text; the old file is then unchanged.
//
// Linux has no attributes that a rename loses, and its callers replace files
// through Qt's QSaveFile instead.
void WriteFileAtomically(const std::string& APath, std::string_view AData);

} // namespace tilvane::platform
