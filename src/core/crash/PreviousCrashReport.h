#pragma once

#include <QString>

#include <optional>

namespace tilvane {

// The text of the report file that a run ended by a fatal signal left at
// APath (see platform::InstallFatalSignalHandlers). The file is removed, so
// that the next start does not offer it again. Nothing when there is no
// such file or it is empty (the run ended before anything was written).
std::optional<QString> TakePreviousCrashReport(const QString& APath);

} // namespace tilvane
