#pragma once

#include "core/update/FolderContents.h"
#include "core/update/SyncRecord.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace tilvane {

// "42 mods, 3.4 GB": the count and the space in the units a player reads
// (binary units, as the desktop's file manager shows them).
QString FolderContentsText(const TFolderContents& AContents);
// "12 min ago", relative to ANow.
QString AgeText(const QDateTime& AWhen, const QDateTime& ANow);
// What the last sync or check found: "In line with the server, 12 min ago",
// "3 to download, 1 to remove", "Server did not answer", "Last sync failed,
// 2 h ago", "Last sync cancelled, 5 min ago".
QString SyncRecordText(const TSyncRecord& ARecord, const QDateTime& ANow);
// The line under a folder's button: what is known of its contents and, for a
// server folder, of its last sync, joined by " · "; empty when nothing is
// known yet.
QString FolderStateText(const std::optional<TFolderContents>& AContents,
                        const std::optional<TSyncRecord>& ARecord, const QDateTime& ANow);

} // namespace tilvane
