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
bool ReplaceFileContents(const QString& AFileName, const QByteArray& AData, QString& AError);

} // namespace tilvane
