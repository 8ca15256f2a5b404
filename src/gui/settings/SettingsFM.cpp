#include "gui/settings/SettingsFM.h"

#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"
#include "gui/common/Themes.h"
#include "ui_SettingsFM.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

#include <QKeyEvent>

namespace tilvane {

TfmSettings::TfmSettings(QWidget* AOwner, TdmMain& ADataModule)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmSettings>()), FDataModule(ADataModule),
      FLogic(ADataModule) {
  FUi->setupUi(this);
  FDataModule.RunReported([this] { FormCreate(); });
  // After the list is filled: selecting the active theme is no preview.
  ConnectHandlers();
}

TfmSettings::~TfmSettings() = default;

void TfmSettings::ConnectHandlers() {
  const auto On = [this](QPushButton* AButton, void (TfmSettings::*AHandler)()) {
    connect(AButton, &QPushButton::clicked, this, [this, AHandler] {
      FDataModule.RunReported([this, AHandler] { (this->*AHandler)(); });
    });
  };
  On(FUi->btnFS19Location, &TfmSettings::btnFS19LocationClick);
  On(FUi->btnFS22Location, &TfmSettings::btnFS22LocationClick);
  On(FUi->btnFS25Location, &TfmSettings::btnFS25LocationClick);
  On(FUi->btnModFolders, &TfmSettings::btnModFoldersClick);
  On(FUi->btnCopyLaunchOption, &TfmSettings::btnCopyLaunchOptionClick);
  On(FUi->btnShareMods, &TfmSettings::btnShareModsClick);
  On(FUi->btnOk, &TfmSettings::btnOkClick);
  On(FUi->btnCancel, &TfmSettings::btnCancelClick);
  connect(FUi->cmbTheme, &QComboBox::currentIndexChanged, this,
          [this] { FDataModule.RunReported([this] { cmbThemeChange(); }); });
}

void TfmSettings::FormCreate() {
  const TSettingsLogic::TValues Values = FLogic.Load();
  for (const TFSVersion FSVersion : AllFSVersions)
    LocationBox(FSVersion)->setText(Values.Location(FSVersion));
  FUi->lblProton->setText(Values.ProtonNote);
  FUi->lblProton->setVisible(!Values.ProtonNote.isEmpty());
  FUi->edtModFolders->setText(Values.ModFolders);
  FUi->edtInGameName->setText(Values.InGameName);
  FUi->chkEnableDevConsole->setChecked(Values.EnableDevConsole);
  FillLaunchOptions();
  StartSharingSearch();

  const QString Active = TThemes::ActiveName();
  FUi->cmbTheme->addItems(TThemes::Names());
  FUi->cmbTheme->setCurrentIndex(FUi->cmbTheme->findText(Active));
  FOldTheme = Active;
}

QLineEdit* TfmSettings::LocationBox(TFSVersion AFSVersion) const {
  switch (AFSVersion) {
  case TFSVersion::fsv19:
    return FUi->edtFS19Location;
  case TFSVersion::fsv22:
    return FUi->edtFS22Location;
  case TFSVersion::fsv25:
    return FUi->edtFS25Location;
  }
  RaiseFSVersionException(AFSVersion);
}

TSettingsLogic::TValues TfmSettings::Values() const {
  TSettingsLogic::TValues Values;
  for (const TFSVersion FSVersion : AllFSVersions)
    Values.Location(FSVersion) = LocationBox(FSVersion)->text();
  Values.ModFolders = FUi->edtModFolders->text();
  Values.InGameName = FUi->edtInGameName->text();
  Values.EnableDevConsole = FUi->chkEnableDevConsole->isChecked();
  Values.Theme = FUi->cmbTheme->currentText();
  return Values;
}

void TfmSettings::keyPressEvent(QKeyEvent* AEvent) {
  switch (AEvent->key()) {
  case Qt::Key_Escape:
    AEvent->accept();
    return;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    // A button with the focus takes Enter itself only when it is a default
    // candidate, and none of these is: a default would catch Enter in the
    // text boxes too.
    if (auto* Button = qobject_cast<QPushButton*>(focusWidget()))
      Button->click();
    AEvent->accept();
    return;
  default:
    QDialog::keyPressEvent(AEvent);
  }
}

void TfmSettings::btnFS19LocationClick() {
  LocationClick(TFSVersion::fsv19);
}

void TfmSettings::btnFS22LocationClick() {
  LocationClick(TFSVersion::fsv22);
}

void TfmSettings::btnFS25LocationClick() {
  LocationClick(TFSVersion::fsv25);
}

void TfmSettings::LocationClick(TFSVersion AFSVersion) {
  QLineEdit* Box = LocationBox(AFSVersion);
  const QString Picked =
      FDataModule.Prompts().OpenFile(TSettingsLogic::LocationDialog(AFSVersion, Box->text()));
  if (!Picked.isEmpty())
    Box->setText(Picked);
}

void TfmSettings::btnModFoldersClick() {
  // The folder picker has no title of its own here: the box's label says
  // what is picked.
  const QString Picked = FDataModule.Prompts().PickFolder(QString(), FUi->edtModFolders->text());
  if (!Picked.isEmpty())
    FUi->edtModFolders->setText(Picked);
}

void TfmSettings::cmbThemeChange() {
  // A preview only; an unknown name leaves the look as it is.
  TThemes::Apply(FUi->cmbTheme->currentText());
}

void TfmSettings::btnOkClick() {
  const TSettingsLogic::TValues Values = this->Values();
  if (const std::optional<TSettingsLogic::TRefusal> Refusal = TSettingsLogic::Check(Values)) {
    QWidget* Box = Refusal->Location ? LocationBox(*Refusal->Location) : FUi->edtInGameName;
    Box->setFocus(Qt::OtherFocusReason);
    FDataModule.Prompts().ShowMessage(Refusal->Message);
    return;
  }
  FLogic.Store(Values);
  accept();
}

void TfmSettings::btnCancelClick() {
  TThemes::Apply(FOldTheme);
  reject();
}

void TfmSettings::FillLaunchOptions() {
  // A portable copy starts through its launcher script, which says where it
  // is; an installed one is the program itself.
  QString Program = qEnvironmentVariable("TILVANE_LAUNCHER");
  if (Program.isEmpty())
    Program = QCoreApplication::applicationFilePath();
  for (const TSettingsLogic::TLaunchOption& Option : FLogic.LaunchOptions(Program))
    FUi->cmbLaunchFolder->addItem(Option.Caption, Option.Option);
  const auto Show = [this] {
    FUi->edtLaunchOption->setText(FUi->cmbLaunchFolder->currentData().toString());
    // A long program path leaves the end out of view: the whole line is
    // in the tooltip, and the button copies it whole.
    FUi->edtLaunchOption->setToolTip(FUi->edtLaunchOption->text());
    FUi->edtLaunchOption->setCursorPosition(0);
  };
  Show();
  connect(FUi->cmbLaunchFolder, &QComboBox::currentIndexChanged, this, Show);
  FUi->btnCopyLaunchOption->setEnabled(FUi->cmbLaunchFolder->count() > 0);
}

void TfmSettings::btnCopyLaunchOptionClick() {
  QGuiApplication::clipboard()->setText(FUi->edtLaunchOption->text());
}

void TfmSettings::StartSharingSearch() {
  // A search under way is stopped before the sharing it fills goes.
  FSharingJob.reset();
  FSharingShown = false;
  FUi->btnShareMods->setEnabled(false);
  FUi->lblSharing->setText(QStringLiteral("Looking for identical mods in your folders\u2026"));
  FSharing = std::make_unique<TModSharing>(FLogic.StateFolder());
  TModSharing* Sharing = FSharing.get();
  const QStringList Folders = FLogic.ModFoldersOnDisk();
  // Reading the archives of large folders takes a while: the dialog stays
  // usable meanwhile, and closing it stops the search.
  FSharingJob = std::make_unique<TWorkerJob>(
      [Sharing, Folders](const std::atomic_bool& ACancelled) {
        Sharing->Find(Folders, &ACancelled);
      },
      [this] { FDataModule.RunReported([this] { SharingSearchFinished(); }); });
}

bool TfmSettings::SharingSearchEnded() const {
  return FSharingShown;
}

void TfmSettings::SharingSearchFinished() {
  if (FSharingJob->Cancelled())
    return;
  FSharingJob->RethrowError();
  const int Count = static_cast<int>(FSharing->Duplicates().size());
  FUi->lblSharing->setText(TSettingsLogic::SharingText(Count, FSharing->BytesToFree()));
  FUi->btnShareMods->setEnabled(Count > 0);
  FSharingShown = true;
}

void TfmSettings::btnShareModsClick() {
  if (!FSharing || !FSharingJob || !FSharingJob->Finished())
    return;
  QStringList Failures;
  const int Linked = FSharing->Apply(Failures);
  FDataModule.Prompts().ShowMessage(TSettingsLogic::SharedText(Linked, Failures),
                                    Failures.isEmpty() ? TMessageKind::Information
                                                       : TMessageKind::Warning);
  StartSharingSearch();
}

} // namespace tilvane
