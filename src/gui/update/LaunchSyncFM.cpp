#include "gui/update/LaunchSyncFM.h"

#include "datamodule/MainDM.h"
#include "gui/update/ProgressLabels.h"

#include "ui_LaunchSyncFM.h"

#include <QTimer>

namespace tilvane {

TfmLaunchSync::TfmLaunchSync(TdmMain& ADataModule, const TModFolder& AModFolder,
                             TFSVersion AFSVersion, bool ACanStartAnyway)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FUi(std::make_unique<Ui::TfmLaunchSync>()), FCanStartAnyway(ACanStartAnyway),
      FBridge(new QObject), FHandOver(FBridge), FWorkerPrompts(ADataModule.Prompts(), FHandOver),
      FProgress([this](const TProgressView& AView) {
        FHandOver.Run([this, AView] { ShowProgress(AView); });
      }) {
  FUi->setupUi(this);
  setWindowTitle(QStringLiteral("Tilvane: ") + AModFolder.Name);
  FTask = ADataModule.CreateUpdateModsTask(AModFolder, AFSVersion, FProgress, FWorkerPrompts);

  tmrFinished = new QTimer(this);
  tmrFinished->setObjectName(QStringLiteral("tmrFinished"));
  tmrFinished->setInterval(100);
  ConnectHandlers();
}

TfmLaunchSync::~TfmLaunchSync() {
  // A worker waiting for this window is released before the task is waited for.
  FHandOver.Detach();
  delete FBridge;
  FTask.reset();
}

void TfmLaunchSync::ConnectHandlers() {
  connect(FUi->btnPause, &QPushButton::clicked, this, &TfmLaunchSync::btnPauseClick);
  connect(FUi->btnCancel, &QPushButton::clicked, this, &TfmLaunchSync::btnCancelClick);
  connect(FUi->btnStartAnyway, &QPushButton::clicked, this, &TfmLaunchSync::btnStartAnywayClick);
  connect(FUi->btnQuit, &QPushButton::clicked, this, &TfmLaunchSync::btnQuitClick);
  connect(tmrFinished, &QTimer::timeout, this, &TfmLaunchSync::tmrFinishedTimer);
}

void TfmLaunchSync::showEvent(QShowEvent* AEvent) {
  QDialog::showEvent(AEvent);
  if (!FTask->Ended() && !tmrFinished->isActive()) {
    FTask->Start();
    tmrFinished->start();
  }
}

void TfmLaunchSync::tmrFinishedTimer() {
  if (!FTask->WaitFor(0))
    return;
  tmrFinished->stop();
  FEnded = true;
  if (FTask->IsCancelled()) {
    Finish(TResult::Cancelled);
    return;
  }
  if (std::exception_ptr Error = FTask->Error()) {
    // The player decides what follows: the reason is shown, not reported.
    try {
      std::rethrow_exception(Error);
    } catch (const std::exception& AError) {
      ShowFailure(QString::fromUtf8(AError.what()));
    } catch (...) {
      ShowFailure(QStringLiteral("The sync ended with an unknown error."));
    }
    return;
  }
  if (FTask->FinishedUpdating()) {
    Finish(TResult::InLine);
    return;
  }
  ShowFailure(FTask->FinalMsg().isEmpty() ? QStringLiteral("The sync did not finish.")
                                          : FTask->FinalMsg());
}

void TfmLaunchSync::ShowFailure(const QString& AText) {
  FFailure = AText;
  FUi->lblFailure->setText(AText);
  FUi->lblFailure->show();
  FUi->btnPause->hide();
  FUi->btnCancel->hide();
  FUi->btnStartAnyway->setVisible(FCanStartAnyway);
  FUi->btnQuit->show();
  (FCanStartAnyway ? FUi->btnStartAnyway : FUi->btnQuit)->setFocus();
}

void TfmLaunchSync::Finish(TResult AResult) {
  FResult = AResult;
  done(AResult == TResult::InLine || AResult == TResult::StartAnyway ? QDialog::Accepted
                                                                     : QDialog::Rejected);
}

void TfmLaunchSync::btnPauseClick() {
  const bool Paused = FTask->Paused();
  FUi->btnPause->setText(Paused ? QStringLiteral("Pause") : QStringLiteral("Paused"));
  FTask->SetPaused(!Paused);
}

void TfmLaunchSync::btnCancelClick() {
  if (FEnded) {
    Finish(TResult::Cancelled);
    return;
  }
  FTask->Cancel();
  FUi->btnCancel->setText(QStringLiteral("Cancelling"));
  FUi->btnCancel->setEnabled(false);
  FUi->btnPause->setEnabled(false);
}

void TfmLaunchSync::btnStartAnywayClick() {
  Finish(TResult::StartAnyway);
}

void TfmLaunchSync::btnQuitClick() {
  Finish(TResult::Quit);
}

void TfmLaunchSync::reject() {
  if (!FFailure.isEmpty())
    btnQuitClick();
  else if (FUi->btnCancel->isEnabled())
    btnCancelClick();
}

void TfmLaunchSync::ShowProgress(const TProgressView& AView) {
  ShowProgressView(*FUi, AView);
}

} // namespace tilvane
