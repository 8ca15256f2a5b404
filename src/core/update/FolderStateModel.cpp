#include "core/update/FolderStateModel.h"

#include "core/common/PromptService.h"
#include "core/common/WorkerJob.h"
#include "core/update/FolderStateText.h"
#include "core/update/UpdateProgress.h"

#include <QDateTime>
#include <QDir>

namespace tilvane {

namespace {

// A check in the background shows nothing: what it finds goes to the line
// under the button.
class TQuietProgress : public IUpdateProgress {
public:
  void StartTimes(bool) override {}
  void UpdateStatus(const QString&) override {}
  void UpdateDownloadStatus(int, int, double, double, const QString&, double) override {}
  void UpdateFileStatus(int, double) override {}
  void UpdateRemoved(int, int, int) override {}
};

// Nobody is asked anything by a check the player did not start; every
// question is answered No, which leaves everything as it is.
class TQuietPrompts : public IPromptService {
public:
  void ShowMessage(const QString&, TMessageKind) override {}
  bool AskYesNo(const QString&, bool) override { return false; }
  QString OpenFile(const TFileDialogOptions&) override { return {}; }
  QString SaveFile(const TFileDialogOptions&) override { return {}; }
  QString PickFolder(const QString&, const QString&) override { return {}; }
};

QString KeyOf(const QString& AModFolder) {
  return QDir::cleanPath(AModFolder);
}

} // namespace

struct TFolderStateModel::TEntry {
  std::optional<TFolderContents> Contents;
  std::optional<TSyncRecord> Record;
  // A finished job is kept until the next one replaces it: a job must not be
  // destroyed from its own end notice.
  std::unique_ptr<TWorkerJob> Walk;
  std::unique_ptr<TWorkerJob> Check;
  std::shared_ptr<TUpdateModsTask> Task;
  bool Walking = false;
  bool Checking = false;
};

TFolderStateModel::TFolderStateModel(TSetup ASetup, QObject* AParent)
    : QObject(AParent), FSetup(std::move(ASetup)), FProgress(std::make_unique<TQuietProgress>()),
      FPrompts(std::make_unique<TQuietPrompts>()) {}

TFolderStateModel::~TFolderStateModel() {
  for (const std::shared_ptr<TEntry>& Entry : std::as_const(FEntries))
    if (Entry->Task)
      Entry->Task->Cancel();
  // The jobs end here, before the progress and prompts they use go.
  FEntries.clear();
}

TFolderStateModel::TEntry& TFolderStateModel::EntryOf(const QString& AModFolder) {
  std::shared_ptr<TEntry>& Entry = FEntries[KeyOf(AModFolder)];
  if (!Entry)
    Entry = std::make_shared<TEntry>();
  return *Entry;
}

const TFolderStateModel::TEntry* TFolderStateModel::FindEntry(const QString& AModFolder) const {
  const auto It = FEntries.constFind(KeyOf(AModFolder));
  return It == FEntries.constEnd() ? nullptr : It->get();
}

QString TFolderStateModel::Text(const QString& AModFolder) const {
  const TEntry* Entry = FindEntry(AModFolder);
  if (!Entry)
    return {};
  return FolderStateText(Entry->Contents, Entry->Record, QDateTime::currentDateTimeUtc());
}

std::optional<TFolderContents> TFolderStateModel::Contents(const QString& AModFolder) const {
  const TEntry* Entry = FindEntry(AModFolder);
  return Entry ? Entry->Contents : std::nullopt;
}

std::optional<TSyncRecord> TFolderStateModel::Record(const QString& AModFolder) const {
  const TEntry* Entry = FindEntry(AModFolder);
  return Entry ? Entry->Record : std::nullopt;
}

bool TFolderStateModel::Busy(const QString& AModFolder) const {
  const TEntry* Entry = FindEntry(AModFolder);
  return Entry && (Entry->Walking || Entry->Checking);
}

bool TFolderStateModel::Checking(const QString& AModFolder) const {
  const TEntry* Entry = FindEntry(AModFolder);
  return Entry && Entry->Checking;
}

void TFolderStateModel::Survey(const QList<TModFolder>& AFolders, TFSVersion AFSVersion) {
  const bool GameRunning = FSetup.GameRunning && FSetup.GameRunning(AFSVersion);
  for (const TModFolder& Folder : AFolders) {
    if (Folder.Folder.isEmpty())
      continue;
    StartWalk(Folder.Folder);
    if (!Folder.DedicatedServerURL.isEmpty() && !GameRunning)
      StartCheck(Folder, AFSVersion);
  }
}

void TFolderStateModel::Reread(const QString& AModFolder) {
  if (!AModFolder.isEmpty())
    StartWalk(AModFolder);
}

void TFolderStateModel::StartWalk(const QString& AModFolder) {
  TEntry& Entry = EntryOf(AModFolder);
  if (Entry.Walking)
    return;
  struct TFound {
    TFolderContents Contents;
    std::optional<TSyncRecord> Record;
  };
  auto Found = std::make_shared<TFound>();
  const QString StateFolder = FSetup.StateFolder;
  Entry.Walking = true;
  Entry.Walk.reset();
  Entry.Walk = std::make_unique<TWorkerJob>(
      [Found, AModFolder, StateFolder](const std::atomic_bool&) {
        Found->Contents = TFolderContents::Read(AModFolder);
        Found->Record = TSyncRecord::Load(StateFolder, AModFolder);
      },
      [this, Found, AModFolder] {
        TEntry& Done = EntryOf(AModFolder);
        Done.Walking = false;
        try {
          Done.Walk->RethrowError();
        } catch (const std::exception&) {
          // A folder that could not be read shows what was known before.
          return;
        }
        Done.Contents = Found->Contents;
        // A check that ended meanwhile knows better than the file it wrote
        // only just now, but both say the same; the file wins otherwise.
        if (Found->Record)
          Done.Record = Found->Record;
        emit Changed(AModFolder);
      });
}

void TFolderStateModel::StartCheck(const TModFolder& AModFolder, TFSVersion AFSVersion) {
  TEntry& Entry = EntryOf(AModFolder.Folder);
  if (Entry.Checking)
    return;
  auto Task = std::make_shared<TUpdateModsTask>(AModFolder, AFSVersion, FSetup.CreateServerURL,
                                                *FProgress, *FPrompts, FSetup.TempFolder);
  Task->SetPreviewOnly(true);
  Task->SetStateFolder(FSetup.StateFolder);
  Task->Client().SetConnectionTimeout(FSetup.ConnectionTimeoutMs);
  Task->Client().SetTotalTimeout(FSetup.PageDeadlineMs);
  Task->Client().SetMaxBodySize(64LL * 1024 * 1024);
  Entry.Checking = true;
  Entry.Check.reset();
  Entry.Task = Task;
  const QString Folder = AModFolder.Folder;
  Entry.Check = std::make_unique<TWorkerJob>(
      [Task](const std::atomic_bool& ACancelled) {
        if (!ACancelled.load())
          Task->UpdateModsTask();
      },
      [this, Task, Folder] {
        TEntry& Done = EntryOf(Folder);
        Done.Checking = false;
        Done.Task.reset();
        try {
          Done.Check->RethrowError();
        } catch (const std::exception&) {
          // The task has kept the failure in the folder's record.
        }
        if (Task->Record())
          Done.Record = Task->Record();
        // The check may have hashed archives the walk had not seen yet.
        StartWalk(Folder);
        emit Changed(Folder);
      });
}

} // namespace tilvane
