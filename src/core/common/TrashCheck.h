#pragma once

#include <QString>

namespace tilvane {

// Whether the desktop's trash can take AFileName: the trash folder that
// MoveToTrash would use for that file's drive exists or can be made, and its
// "info" and "files" folders are writable. Asked before every move, because
// Qt 6.4 tries for ever to name the entry of a file whose trash has an "info"
// folder it cannot write to.
bool TrashCanTake(const QString& AFileName);

} // namespace tilvane
