#pragma once

#include "core/game/FSVersion.h"
#include "core/update/HandOverPromptService.h"
#include "core/update/UiHandOver.h"
#include "core/update/UpdateModsTask.h"
#include "core/update/UpdateProgressModel.h"

#include <QDialog>

#include <memory>
#include <optional>

class QTimer;

namespace Ui {
class TfmUpdatingMods;
}

namespace tilvane {

class TdmMain;
class TModFolder;

// The modal window that runs the update task of one mod folder and shows its
// progress. It closes itself when the task has ended: Accepted (the
// program's mrOk) when every phase was done, Rejected (mrCancel) otherwise —
// after a cancel, a final message, or an error the task did not handle (which
// goes to the program's report of errors).
class TfmUpdatingMods : public QDialog {
  Q_OBJECT

public:
  // AFSVersion: the generation the folder belongs to; the server must be one
  // of it.
  TfmUpdatingMods(QWidget* AOwner, const TModFolder& AModFolder, TFSVersion AFSVersion,
                  TdmMain& ADataModule);
  ~TfmUpdatingMods() override;

  bool DeleteAllFilesFirst() const { return FTask->DeleteAllFilesFirst(); }
  void SetDeleteAllFilesFirst(bool AValue) { FTask->SetDeleteAllFilesFirst(AValue); }
  bool FinishedUpdating() const { return FTask->FinishedUpdating(); }
  TUpdateModsTask& Task() { return *FTask; }

  // The poll of the running task. An error the task did not handle goes to
  // the data module's error report once the window has closed with Rejected.
  void tmrFinishedTimer();
  void btnCancelClick();
  void btnPauseClick();

  // Cancel by the user is the Cancel button; closing by other means is refused.
  void reject() override;

protected:
  void showEvent(QShowEvent* AEvent) override;
  void keyPressEvent(QKeyEvent* AEvent) override;

private:
  void ConnectHandlers();
  void ShowProgress(const TProgressView& AView);

  std::unique_ptr<Ui::TfmUpdatingMods> FUi;
  TdmMain& FDataModule;
  // Queued hand-overs target this object, so that destroying it releases a
  // worker that is still waiting for the window.
  QObject* FBridge;
  TUiHandOver FHandOver;
  THandOverPromptService FWorkerPrompts;
  TUpdateProgressModel FProgress;
  std::unique_ptr<TUpdateModsTask> FTask;
  // Set once the task has ended and the window waits for Close.
  std::optional<int> FResultOnClose;
  // Built in code: a timer is not part of the layout.
  QTimer* tmrFinished = nullptr;
};

} // namespace tilvane
