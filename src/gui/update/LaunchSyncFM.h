#pragma once

#include "core/game/FSVersion.h"
#include "core/update/HandOverPromptService.h"
#include "core/update/UiHandOver.h"
#include "core/update/UpdateModsTask.h"
#include "core/update/UpdateProgressModel.h"

#include <QDialog>

#include <memory>

class QTimer;

namespace Ui {
class TfmLaunchSync;
}

namespace tilvane {

class TdmMain;
class TModFolder;

// The small window of a sync started from the command line (Steam's launch
// option, often in the Deck's game mode): the update window's figures and
// buttons only, no text box. On failure it says why and offers "Start
// anyway" (when a game waits to start) and "Quit". It closes itself once
// the folder is in line.
class TfmLaunchSync : public QDialog {
  Q_OBJECT

public:
  enum class TResult { InLine, StartAnyway, Quit, Cancelled };

  TfmLaunchSync(TdmMain& ADataModule, const TModFolder& AModFolder, TFSVersion AFSVersion,
                bool ACanStartAnyway);
  ~TfmLaunchSync() override;

  TResult Result() const { return FResult; }
  // Why the sync failed; empty while it has not.
  QString FailureText() const { return FFailure; }
  TUpdateModsTask& Task() { return *FTask; }

  void tmrFinishedTimer();
  void btnPauseClick();
  void btnCancelClick();
  void btnStartAnywayClick();
  void btnQuitClick();

  // Escape and closing the window: Cancel while the sync runs, Quit after.
  void reject() override;

protected:
  void showEvent(QShowEvent* AEvent) override;

private:
  void ConnectHandlers();
  void ShowProgress(const TProgressView& AView);
  void ShowFailure(const QString& AText);
  void Finish(TResult AResult);

  std::unique_ptr<Ui::TfmLaunchSync> FUi;
  bool FCanStartAnyway;
  // Queued hand-overs target this object, so that destroying it releases a
  // worker that is still waiting for the window.
  QObject* FBridge;
  TUiHandOver FHandOver;
  THandOverPromptService FWorkerPrompts;
  TUpdateProgressModel FProgress;
  std::unique_ptr<TUpdateModsTask> FTask;
  TResult FResult = TResult::Cancelled;
  QString FFailure;
  bool FEnded = false;
  // Built in code: a timer is not part of the layout.
  QTimer* tmrFinished = nullptr;
};

} // namespace tilvane
