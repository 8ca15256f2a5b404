#pragma once

#include <QString>

namespace tilvane {

// Moves a file to the desktop's trash, where the player can get it back.
// False when the file system offers no trash for it; the file is then still
// where it was, and the caller decides whether to delete it outright.
bool MoveToTrash(const QString& AFileName);

} // namespace tilvane
