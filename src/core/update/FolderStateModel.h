#pragma once

#include "core/game/FSVersion.h"
#include "core/modfolders/ModFolder.h"
#include "core/update/FolderContents.h"
#include "core/update/SyncRecord.h"
#include "core/update/UpdateModsTask.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace tilvane {

class IPromptService;
class IUpdateProgress;
class TWorkerJob;

// Where each mod folder stands, for the line under its button: how many
// archives it holds and how much space they take, and what the last sync or
// background check of its server found. The facts are gathered on workers
// (a disk walk, a page fetch) and kept here, by folder, so that the buttons,
// which are rebuilt on every redraw, read them without touching the disk.
// Lives on the window's thread; Changed tells when a folder's line has new
// facts.
class TFolderStateModel : public QObject {
  Q_OBJECT

public:
  struct TSetup {
    QString StateFolder; // the program's state folder (<LocalAppData>/Tilvane)
    QString TempFolder;  // where a check may extract descriptions
    TUpdateModsTask::TURLBuilder CreateServerURL;
    // Whether the game of a generation runs: no check then, the game has the
    // folder's archives open and the player is on the server already.
    std::function<bool(TFSVersion)> GameRunning;
    int ConnectionTimeoutMs = 5000;
    int PageDeadlineMs = 30000; // the whole page, however slowly it trickles
  };

  explicit TFolderStateModel(TSetup ASetup, QObject* AParent = nullptr);
  // Stops the checks under way and waits for them (within a fraction of a
  // second: they are cancelled).
  ~TFolderStateModel() override;

  // The line for the folder from what is known now; empty when nothing is.
  // Touches neither the disk nor the network.
  QString Text(const QString& AModFolder) const;
  std::optional<TFolderContents> Contents(const QString& AModFolder) const;
  std::optional<TSyncRecord> Record(const QString& AModFolder) const;

  // A tab was shown: each folder is walked again, and each that follows a
  // server is checked, unless a check of it is under way or the game runs.
  void Survey(const QList<TModFolder>& AFolders, TFSVersion AFSVersion);
  // A sync of the folder ended: its contents and record are read again.
  void Reread(const QString& AModFolder);

  // Whether a walk or check of the folder is under way (for tests and tools).
  bool Busy(const QString& AModFolder) const;
  bool Checking(const QString& AModFolder) const;

signals:
  void Changed(const QString& AModFolder);

private:
  struct TEntry;
  TEntry& EntryOf(const QString& AModFolder);
  const TEntry* FindEntry(const QString& AModFolder) const;
  void StartWalk(const QString& AModFolder);
  void StartCheck(const TModFolder& AModFolder, TFSVersion AFSVersion);

  TSetup FSetup;
  std::unique_ptr<IUpdateProgress> FProgress;
  std::unique_ptr<IPromptService> FPrompts;
  QHash<QString, std::shared_ptr<TEntry>> FEntries;
};

} // namespace tilvane
