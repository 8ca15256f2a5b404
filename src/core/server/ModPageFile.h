#pragma once

#include <QString>

namespace tilvane {

// Writes a fetched page to AFileName exactly as it came (UTF-8, no byte-order
// mark, its own line ends), replacing the file atomically. Raises EAppError
// when the file cannot be written.
void SaveModPageToFile(const QString& AFileName, const QString& APage);

} // namespace tilvane
