#include "gui/update/UpdatingModsFM.h"

#include "core/common/Paths.h"
#include "datamodule/MainDM.h"
#include "gui/update/ProgressLabels.h"
#include "platform/Platform.h"

#include "ui_UpdatingModsFM.h"

#include <QKeyEvent>
#include <QTimer>

namespace tilvane {

TfmUpdatingMods::TfmUpdatingMods(QWidget* AOwner, const TModFolder& AModFolder,
                                 TFSVersion AFSVersion, TdmMain& ADataModule)
    : QDialog(AOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FUi(std::make_unique<Ui::TfmUpdatingMods>()), FDataModule(ADataModule), FBridge(new QObject),
      FHandOver(FBridge), FWorkerPrompts(ADataModule.Prompts(), FHandOver),
      FProgress([this](const TProgressView& AView) {
        FHandOver.Run([this, AView] { ShowProgress(AView); });
      }) {
  FUi->setupUi(this);
  setWindowTitle(QLatin1String("Update mods for ") + AModFolder.Name);

  FTask = ADataModule.CreateUpdateModsTask(AModFolder, AFSVersion, FProgress, FWorkerPrompts);

  tmrFinished = new QTimer(this);
  tmrFinished->setObjectName(QStringLiteral("tmrFinished"));
  tmrFinished->setInterval(250);
  ConnectHandlers();
  tmrFinished->start();
}

void TfmUpdatingMods::ConnectHandlers() {
  connect(FUi->btnCancel, &QPushButton::clicked, this, &TfmUpdatingMods::btnCancelClick);
  connect(FUi->btnPause, &QPushButton::clicked, this, &TfmUpdatingMods::btnPauseClick);
  connect(tmrFinished, &QTimer::timeout, this, &TfmUpdatingMods::tmrFinishedTimer);
}

TfmUpdatingMods::~TfmUpdatingMods() {
  // A worker waiting for this window is released before the task is waited for.
  FHandOver.Detach();
  delete FBridge;
  FTask.reset();
}

void TfmUpdatingMods::showEvent(QShowEvent* AEvent) {
  QDialog::showEvent(AEvent);
  FTask->Start();
}

void TfmUpdatingMods::keyPressEvent(QKeyEvent* AEvent) {
  if (AEvent->key() == Qt::Key_Escape) {
    if (FUi->btnCancel->isEnabled())
      FUi->btnCancel->click();
    else
      FUi->btnPause->click();
    return;
  }
  QDialog::keyPressEvent(AEvent);
}

void TfmUpdatingMods::reject() {}

void TfmUpdatingMods::tmrFinishedTimer() {
  tmrFinished->stop();
  if (!FTask->WaitFor(10)) {
    tmrFinished->start();
    return;
  }
  if (FTask->IsCancelled()) {
    done(QDialog::Rejected);
    return;
  }
  if (std::exception_ptr Error = FTask->Error()) {
    // The window must not stay open without a way out, and its result must
    // not read as success; the error goes on to the program's report.
    done(QDialog::Rejected);
    FDataModule.ReportError(Error);
    return;
  }
  if (!FTask->FinalMsg().isEmpty())
    FDataModule.Prompts().ShowMessage(FTask->FinalMsg());
  const int Result = FTask->FinishedUpdating() ? QDialog::Accepted : QDialog::Rejected;
  if (FTask->MovedToTrash() + FTask->Deleted() + FTask->Kept() == 0) {
    done(Result);
    return;
  }
  // Archives left the folder, or stayed against the server's list: the
  // counts stay in view until the player has read them.
  FResultOnClose = Result;
  FUi->lblStatus1->setText(FTask->LastStatus());
  if (FTask->FinishedUpdating()) {
    // Nothing is left to estimate: the labels would read as a sync still
    // under way.
    FUi->pbFilePercent->setValue(100);
    FUi->pbCompletePercent->setValue(100);
    FUi->lblFinishTime->clear();
  }
  FUi->btnPause->hide();
  FUi->btnCancel->setText(QStringLiteral("Close"));
  FUi->btnCancel->setEnabled(true);
  FUi->btnCancel->setFocus();
}

void TfmUpdatingMods::btnCancelClick() {
  if (FResultOnClose) {
    done(*FResultOnClose);
    return;
  }
  if (!FTask->Ended())
    FTask->Cancel();
  FUi->btnCancel->setText(QStringLiteral("Cancelling"));
  FUi->btnCancel->setEnabled(false);
}

void TfmUpdatingMods::btnPauseClick() {
  const bool Paused = FTask->Paused();
  FUi->btnPause->setText(Paused ? QStringLiteral("Pause") : QStringLiteral("Paused"));
  FTask->SetPaused(!Paused);
}

void TfmUpdatingMods::ShowProgress(const TProgressView& AView) {
  ShowProgressView(*FUi, AView);
}

} // namespace tilvane
