#include "gui/settings/SettingsFM.h"

#include "core/common/PromptService.h"
#include "datamodule/MainDM.h"
#include "gui/common/Themes.h"
#include "ui_SettingsFM.h"

#include <QKeyEvent>

namespace tilvane {

TfmSettings::TfmSettings(QWidget* AOwner, TdmMain& ADataModule)
    : QDialog(AOwner), ui(std::make_unique<Ui::TfmSettings>()), FDataModule(ADataModule),
      FLogic(ADataModule) {
  ui->setupUi(this);
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
  On(ui->btnFS19Location, &TfmSettings::btnFS19LocationClick);
  On(ui->btnFS22Location, &TfmSettings::btnFS22LocationClick);
  On(ui->btnFS25Location, &TfmSettings::btnFS25LocationClick);
  On(ui->btnModFolders, &TfmSettings::btnModFoldersClick);
  On(ui->btnOk, &TfmSettings::btnOkClick);
  On(ui->btnCancel, &TfmSettings::btnCancelClick);
  connect(ui->cmbTheme, &QComboBox::currentIndexChanged, this,
          [this] { FDataModule.RunReported([this] { cmbThemeChange(); }); });
}

void TfmSettings::FormCreate() {
  const TSettingsLogic::TValues Values = FLogic.Load();
  for (const TFSVersion FSVersion : AllFSVersions)
    LocationBox(FSVersion)->setText(Values.Location(FSVersion));
  ui->lblProton->setText(Values.ProtonNote);
  ui->lblProton->setVisible(!Values.ProtonNote.isEmpty());
  ui->edtModFolders->setText(Values.ModFolders);
  ui->edtInGameName->setText(Values.InGameName);
  ui->chkEnableDevConsole->setChecked(Values.EnableDevConsole);

  const QString Active = TThemes::ActiveName();
  ui->cmbTheme->addItems(TThemes::Names());
  ui->cmbTheme->setCurrentIndex(ui->cmbTheme->findText(Active));
  FOldTheme = Active;
}

QLineEdit* TfmSettings::LocationBox(TFSVersion FSVersion) const {
  switch (FSVersion) {
  case TFSVersion::fsv19:
    return ui->edtFS19Location;
  case TFSVersion::fsv22:
    return ui->edtFS22Location;
  case TFSVersion::fsv25:
    return ui->edtFS25Location;
  }
  RaiseFSVersionException(FSVersion);
}

TSettingsLogic::TValues TfmSettings::Values() const {
  TSettingsLogic::TValues Values;
  for (const TFSVersion FSVersion : AllFSVersions)
    Values.Location(FSVersion) = LocationBox(FSVersion)->text();
  Values.ModFolders = ui->edtModFolders->text();
  Values.InGameName = ui->edtInGameName->text();
  Values.EnableDevConsole = ui->chkEnableDevConsole->isChecked();
  Values.Theme = ui->cmbTheme->currentText();
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

void TfmSettings::LocationClick(TFSVersion FSVersion) {
  QLineEdit* Box = LocationBox(FSVersion);
  const QString Picked =
      FDataModule.Prompts().OpenFile(TSettingsLogic::LocationDialog(FSVersion, Box->text()));
  if (!Picked.isEmpty())
    Box->setText(Picked);
}

void TfmSettings::btnModFoldersClick() {
  // The folder picker has no title of its own here: the box's label says
  // what is picked.
  const QString Picked = FDataModule.Prompts().PickFolder(QString(), ui->edtModFolders->text());
  if (!Picked.isEmpty())
    ui->edtModFolders->setText(Picked);
}

void TfmSettings::cmbThemeChange() {
  // A preview only; an unknown name leaves the look as it is.
  TThemes::Apply(ui->cmbTheme->currentText());
}

void TfmSettings::btnOkClick() {
  const TSettingsLogic::TValues Values = this->Values();
  if (const std::optional<TSettingsLogic::TRefusal> Refusal = TSettingsLogic::Check(Values)) {
    QWidget* Box = Refusal->Location ? LocationBox(*Refusal->Location) : ui->edtInGameName;
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

} // namespace tilvane
