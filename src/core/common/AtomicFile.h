#pragma once

#include <QByteArray>
#include <QString>

namespace tilvane {

// Replaces the content of AFileName with AData in one step: the data goes to
// a sibling temporary file, every byte of it checked, and only then is that
// file renamed over the old one. A crash or a full disk at any moment leaves
// either the old or the new content, never a stump. A file that nobody may
// write to is left alone even where the rename would go through (as root).
// Returns false with the system's reason in AError; the old file is then
// unchanged.
//
// OwnerOnly is for files that hold passwords: on Linux the new content can be
// read and written by its owner only (0600, whatever the umask), and an
// existing file that was stricter keeps its stricter mode. Shared leaves the
// mode to the umask, or to the file being replaced. Windows keeps a file's
// access rights in the folder's inherited list, which both choices leave as
// it is.
enum class TFileAccess { Shared, OwnerOnly };
bool ReplaceFileContents(const QString& AFileName, const QByteArray& AData, QString& AError,
                         TFileAccess AAccess = TFileAccess::Shared);

} // namespace tilvane
