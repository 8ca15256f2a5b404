#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace tilvane {

// What the last look at a server folder found: a sync that ended, or a
// background check that only compared the folder with the server's list.
// Kept per mod folder beside its archive facts, so that the folder's button
// can tell the player where the folder stands before the game starts.
struct TSyncRecord {
  enum class TKind {
    InLine,    // nothing to download or remove
    Pending,   // a check found archives to download or remove
    NoAnswer,  // the server's page could not be fetched
    Failed,    // a sync or check ended early for another reason
    Cancelled, // the player stopped a sync
  };

  TKind Kind = TKind::Failed;
  int ToDownload = 0;
  int ToRemove = 0;
  QDateTime When; // UTC

  // The file that keeps the record of AModFolder below AStateFolder (the
  // program's state folder, e.g. <LocalAppData>/Tilvane).
  static QString FileFor(const QString& AStateFolder, const QString& AModFolder);
  // The record of AModFolder; none when there is no file or it is damaged.
  static std::optional<TSyncRecord> Load(const QString& AStateFolder, const QString& AModFolder);
  // Replaces the folder's record atomically. Raises EAppError when it cannot.
  static void Save(const QString& AStateFolder, const QString& AModFolder,
                   const TSyncRecord& ARecord);
};

} // namespace tilvane
