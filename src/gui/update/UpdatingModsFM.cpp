#include "gui/update/UpdatingModsFM.h"

#include "core/common/Paths.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tilvane {

namespace {

QLabel* NewLabel(QWidget* AParent, const char* AName, const QString& AText = {}) {
  auto* Label = new QLabel(AText, AParent);
  Label->setObjectName(QLatin1String(AName));
  return Label;
}

QProgressBar* NewBar(QWidget* AParent, const char* AName) {
  auto* Bar = new QProgressBar(AParent);
  Bar->setObjectName(QLatin1String(AName));
  Bar->setRange(0, 100);
  Bar->setValue(0);
  Bar->setTextVisible(false);
  Bar->setFixedWidth(329);
  return Bar;
}

} // namespace

TfmUpdatingMods::TfmUpdatingMods(QWidget* AOwner, const TModFolder& AModFolder,
                                 TFSVersion FSVersion, TdmMain& ADataModule)
    : QDialog(AOwner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FDataModule(ADataModule), FBridge(new QObject), FHandOver(FBridge),
      FWorkerPrompts(ADataModule.Prompts(), FHandOver),
      FProgress([this](const TProgressView& AView) {
        FHandOver.Run([this, AView] { ShowProgress(AView); });
      }) {
  setObjectName(QStringLiteral("fmUpdatingMods"));
  setWindowTitle(QLatin1String("Update mods for ") + AModFolder.Name);
  setModal(true);

  auto* Grid = new QGridLayout;
  Grid->setColumnMinimumWidth(0, 90);
  int Row = 0;
  auto AddRow = [&](QLabel* ACaption, QWidget* AValue) {
    Grid->addWidget(ACaption, Row, 0);
    Grid->addWidget(AValue, Row, 1);
    ++Row;
  };
  lblStatus1 = NewLabel(this, "lblStatus1", QStringLiteral("Downloading mods from server..."));
  lblStatus1->setAlignment(Qt::AlignCenter);
  AddRow(NewLabel(this, "Label14", QStringLiteral("Status:")), lblStatus1);
  AddRow(NewLabel(this, "lblStatus2", QStringLiteral("Files:")),
         lblFiles = NewLabel(this, "lblFiles"));
  AddRow(NewLabel(this, "Label5", QStringLiteral("Size (MB):")),
         lblSizeMB = NewLabel(this, "lblSizeMB"));
  AddRow(NewLabel(this, "Label10", QStringLiteral("Downloading:")),
         lblFileName = NewLabel(this, "lblFileName"));
  AddRow(NewLabel(this, "Label11", QStringLiteral("Size (MB):")),
         lblFileSizeMB = NewLabel(this, "lblFileSizeMB"));
  AddRow(NewLabel(this, "Label4", QStringLiteral("Speed:")), lblSpeed = NewLabel(this, "lblSpeed"));
  AddRow(NewLabel(this, "Label9", QStringLiteral("File %")),
         pbFilePercent = NewBar(this, "pbFilePercent"));
  AddRow(NewLabel(this, "Label1", QStringLiteral("Complete %")),
         pbCompletePercent = NewBar(this, "pbCompletePercent"));
  AddRow(NewLabel(this, "Label2", QStringLiteral("Time left:")),
         lblFinishTime = NewLabel(this, "lblFinishTime"));
  // How many archives the server no longer lists went to the trash.
  AddRow(NewLabel(this, "lblRemovedCaption", QStringLiteral("Removed:")),
         lblRemoved = NewLabel(this, "lblRemoved"));

  btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnPause = new QPushButton(QStringLiteral("Pause"), this);
  btnPause->setObjectName(QStringLiteral("btnPause"));
  for (QPushButton* Button : {btnCancel, btnPause}) {
    Button->setAutoDefault(false);
    Button->setDefault(false);
  }
  connect(btnCancel, &QPushButton::clicked, this, &TfmUpdatingMods::btnCancelClick);
  connect(btnPause, &QPushButton::clicked, this, &TfmUpdatingMods::btnPauseClick);

  auto* Buttons = new QHBoxLayout;
  Buttons->addStretch();
  Buttons->addWidget(btnPause);
  Buttons->addWidget(btnCancel);
  auto* Main = new QVBoxLayout(this);
  Main->addLayout(Grid);
  Main->addLayout(Buttons);
  resize(461, 260);

  FTask = std::make_unique<TUpdateModsTask>(AModFolder, FSVersion, &TdmMain::CreateServerURL,
                                            FProgress, FWorkerPrompts,
                                            FromPlatform(ADataModule.Platform().TempFolder()));
  // The folder's lock and what is known of its archives belong to the
  // player, not to the shared temporary folder.
  FTask->SetStateFolder(JoinPath(FromPlatform(ADataModule.Platform().LocalAppDataFolder()),
                                 QStringLiteral("Tilvane")));
  THttpClient& Client = FTask->Client();
  Client.SetSecureProtocols(THttpSecureProtocol::Tls10 | THttpSecureProtocol::Tls11 |
                            THttpSecureProtocol::Tls12);
  Client.SetConnectionTimeout(300000);
  Client.SetResponseTimeout(300000);

  tmrFinished = new QTimer(this);
  tmrFinished->setObjectName(QStringLiteral("tmrFinished"));
  tmrFinished->setInterval(250);
  connect(tmrFinished, &QTimer::timeout, this, &TfmUpdatingMods::tmrFinishedTimer);
  tmrFinished->start();
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
    if (btnCancel->isEnabled())
      btnCancel->click();
    else
      btnPause->click();
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
  lblStatus1->setText(FTask->LastStatus());
  if (FTask->FinishedUpdating()) {
    // Nothing is left to estimate: the labels would read as a sync still
    // under way.
    pbFilePercent->setValue(100);
    pbCompletePercent->setValue(100);
    lblFinishTime->clear();
  }
  btnPause->hide();
  btnCancel->setText(QStringLiteral("Close"));
  btnCancel->setEnabled(true);
  btnCancel->setFocus();
}

void TfmUpdatingMods::btnCancelClick() {
  if (FResultOnClose) {
    done(*FResultOnClose);
    return;
  }
  if (!FTask->Ended())
    FTask->Cancel();
  btnCancel->setText(QStringLiteral("Cancelling"));
  btnCancel->setEnabled(false);
}

void TfmUpdatingMods::btnPauseClick() {
  const bool Paused = FTask->Paused();
  btnPause->setText(Paused ? QStringLiteral("Pause") : QStringLiteral("Paused"));
  FTask->SetPaused(!Paused);
}

void TfmUpdatingMods::ShowProgress(const TProgressView& AView) {
  lblStatus1->setText(AView.Status);
  lblFiles->setText(AView.Files);
  lblSizeMB->setText(AView.SizeMB);
  lblFileName->setText(AView.FileName);
  lblFileSizeMB->setText(AView.FileSizeMB);
  lblSpeed->setText(AView.Speed);
  pbFilePercent->setValue(AView.FilePercent);
  pbCompletePercent->setValue(AView.CompletePercent);
  lblFinishTime->setText(AView.FinishTime);
  lblRemoved->setText(AView.Removed);
}

} // namespace tilvane
