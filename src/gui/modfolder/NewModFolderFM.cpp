#include "gui/modfolder/NewModFolderFM.h"

#include "core/modfolders/ModFolder.h"
#include "datamodule/MainDM.h"
#include "gui/dialogs/ServerURLInstructionFM.h"
#include "ui_NewModFolderFM.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace tilvane {

TfmNewModFolder::TfmNewModFolder(QWidget* AOwner, TFSVersion AFSVersion, TdmMain& ADataModule)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmNewModFolder>()), FDataModule(ADataModule),
      FLogic(ADataModule, AFSVersion) {
  FUi->setupUi(this);
  setWindowTitle(TNewModFolderLogic::CreateCaption(AFSVersion));
  ConnectHandlers();
  FormCreate();
}

TfmNewModFolder::~TfmNewModFolder() = default;

std::optional<TModFolder> TfmNewModFolder::NewModFolder(QWidget* AOwner, TFSVersion AFSVersion,
                                                        TdmMain& ADataModule) {
  TfmNewModFolder Dialog(AOwner, AFSVersion, ADataModule);
  if (Dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  TModFolder ModFolder;
  Dialog.SaveToTModFolder(ModFolder);
  return ModFolder;
}

bool TfmNewModFolder::EditModFolder(QWidget* AOwner, TFSVersion AFSVersion, TdmMain& ADataModule,
                                    TModFolder& AModFolder) {
  TfmNewModFolder Dialog(AOwner, AFSVersion, ADataModule);
  Dialog.LoadFromTModFolder(AModFolder);
  if (Dialog.exec() != QDialog::Accepted)
    return false;
  Dialog.SaveToTModFolder(AModFolder);
  return true;
}

void TfmNewModFolder::ConnectHandlers() {
  const auto Guard = [this](void (TfmNewModFolder::*AHandler)()) {
    return [this, AHandler] { FDataModule.RunReported([this, AHandler] { (this->*AHandler)(); }); };
  };
  connect(FUi->edtName, &QLineEdit::textChanged, this, Guard(&TfmNewModFolder::edtNameChange));
  // Only the user's own edits: the proposals themselves change the box too.
  connect(FUi->edtModFolder, &QLineEdit::textEdited, this,
          Guard(&TfmNewModFolder::edtModFolderKeyPress));
  const std::pair<QAbstractButton*, void (TfmNewModFolder::*)()> Clicks[] = {
      {FUi->btnModFolder, &TfmNewModFolder::btnModFolderClick},
      {FUi->btnOk, &TfmNewModFolder::btnOkClick},
      {FUi->btnShowWebPassword, &TfmNewModFolder::btnShowWebPasswordClick},
      {FUi->btnShowGamePassword, &TfmNewModFolder::btnShowGamePasswordClick},
      {FUi->btnImportSettings, &TfmNewModFolder::btnImportSettingsClick},
      {FUi->btnHowToGetServerURL, &TfmNewModFolder::btnHowToGetServerURLClick},
      {FUi->btnImportModFolder, &TfmNewModFolder::btnImportModFolderClick},
  };
  for (const auto& [Button, Handler] : Clicks)
    connect(Button, &QAbstractButton::clicked, this, Guard(Handler));
  connect(FUi->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmNewModFolder::FormCreate() {
  GenerateSuggestedDir();
  FUi->edtName->setFocus(Qt::OtherFocusReason);
}

void TfmNewModFolder::setVisible(bool AVisible) {
  if (AVisible && !isVisible())
    FormShow();
  QDialog::setVisible(AVisible);
}

void TfmNewModFolder::FormShow() {
  // The design size suits the Windows dialog font; a wider font grows the
  // dialog to fit, and it stays fixed at that size.
  setFixedSize(minimumSize().expandedTo(sizeHint()));
  const QScreen* Screen = screen() ? screen() : QGuiApplication::primaryScreen();
  if (Screen)
    move(Screen->availableGeometry().center() - rect().center());
}

void TfmNewModFolder::SetEditMode(bool AValue) {
  setWindowTitle(TNewModFolderLogic::EditModeCaption(AValue));
  FLogic.SetEditMode(AValue);
}

void TfmNewModFolder::LoadFromTModFolder(const TModFolder& AMf) {
  // Edit mode first: the stored directory must not give way to a proposal
  // for the name.
  SetEditMode(true);
  FUi->edtName->setText(AMf.Name);
  FUi->edtModFolder->setText(AMf.Folder);
  FUi->edtDedicatedServerUrl->setText(AMf.DedicatedServerURL);
  FUi->edtStatsFeedURL->setText(AMf.StatsFeedURL);
  FUi->edtWebUserName->setText(AMf.WebUsername);
  FUi->edtWebPassword->setText(AMf.WebPassword);
  FUi->chkAutoUpdateFromDedicatedServer->setChecked(AMf.AutoUpdateFromDedicatedServer);
  FUi->chkRemoveModsNotOnServer->setChecked(AMf.RemoveModsNotOnServer);
  FUi->edtGameNameFilter->setText(AMf.GameNameFilter);
  FUi->edtGamePassword->setText(AMf.GamePassword);
}

void TfmNewModFolder::SaveToTModFolder(TModFolder& AMf) const {
  AMf.Name = FUi->edtName->text();
  AMf.Folder = FUi->edtModFolder->text();
  AMf.DedicatedServerURL = FUi->edtDedicatedServerUrl->text();
  // Pasted from the server's web interface, often with a space or a line
  // break around it; a feed address never has one of its own.
  AMf.StatsFeedURL = FUi->edtStatsFeedURL->text().trimmed();
  AMf.WebUsername = FUi->edtWebUserName->text();
  AMf.WebPassword = FUi->edtWebPassword->text();
  AMf.AutoUpdateFromDedicatedServer = FUi->chkAutoUpdateFromDedicatedServer->isChecked();
  AMf.RemoveModsNotOnServer = FUi->chkRemoveModsNotOnServer->isChecked();
  AMf.GameNameFilter = FUi->edtGameNameFilter->text();
  AMf.GamePassword = FUi->edtGamePassword->text();
}

void TfmNewModFolder::GenerateSuggestedDir() {
  if (const std::optional<QString> Dir = FLogic.SuggestedDir(FUi->edtName->text()))
    FUi->edtModFolder->setText(*Dir);
}

void TfmNewModFolder::edtNameChange() {
  GenerateSuggestedDir();
}

void TfmNewModFolder::edtModFolderKeyPress() {
  FLogic.StopSuggestions();
}

void TfmNewModFolder::btnModFolderClick() {
  if (const std::optional<QString> Folder = FLogic.PickModFolder())
    FUi->edtModFolder->setText(*Folder);
}

void TfmNewModFolder::btnOkClick() {
  TModFolder Values;
  SaveToTModFolder(Values);
  switch (FLogic.Ok(Values)) {
  case TNewModFolderLogic::TOkVerdict::Accept:
    accept();
    break;
  case TNewModFolderLogic::TOkVerdict::FocusName:
    FUi->edtName->setFocus(Qt::OtherFocusReason);
    break;
  case TNewModFolderLogic::TOkVerdict::FocusServerURL:
    FUi->edtDedicatedServerUrl->setFocus(Qt::OtherFocusReason);
    break;
  case TNewModFolderLogic::TOkVerdict::FocusStatsFeedURL:
    FUi->edtStatsFeedURL->setFocus(Qt::OtherFocusReason);
    break;
  case TNewModFolderLogic::TOkVerdict::Stay:
    break;
  }
}

void TfmNewModFolder::TogglePassword(QLineEdit& AEdit, QToolButton& AButton) {
  const bool Masked = AEdit.echoMode() == QLineEdit::Password;
  AEdit.setEchoMode(Masked ? QLineEdit::Normal : QLineEdit::Password);
  AButton.setToolTip(Masked ? QStringLiteral("Hide password") : QStringLiteral("Show password"));
  AButton.setIcon(QIcon(Masked ? QStringLiteral(":/pictures/eye-off.svg")
                               : QStringLiteral(":/pictures/eye.svg")));
}

void TfmNewModFolder::btnShowWebPasswordClick() {
  TogglePassword(*FUi->edtWebPassword, *FUi->btnShowWebPassword);
}

void TfmNewModFolder::btnShowGamePasswordClick() {
  TogglePassword(*FUi->edtGamePassword, *FUi->btnShowGamePassword);
}

void TfmNewModFolder::btnImportSettingsClick() {
  // Proposals stay as they are: in a new button a later change of the name
  // still proposes a directory in place of the game's.
  const TNewModFolderLogic::TGameSettings Settings = FLogic.GameSettings();
  FUi->edtModFolder->setText(Settings.ModFolder);
  FUi->edtGameNameFilter->setText(Settings.GameNameFilter);
  FUi->edtGamePassword->setText(Settings.GamePassword);
}

void TfmNewModFolder::btnHowToGetServerURLClick() {
  TfmServerURLInstruction Instructions(this);
  Instructions.exec();
}

void TfmNewModFolder::btnImportModFolderClick() {
  const std::optional<TModFolderButtonFile::TButton> Button = FLogic.ImportButtonFile();
  if (!Button)
    return;
  // The name first: its change proposes a directory for the imported button.
  FUi->edtName->setText(Button->Name);
  FUi->edtDedicatedServerUrl->setText(Button->DedicatedServerURL);
  FUi->edtStatsFeedURL->setText(Button->StatsFeedURL);
  // A login that came with the file is meant to be used.
  if (Button->WebUserName)
    FUi->edtWebUserName->setText(*Button->WebUserName);
  if (Button->WebPassword)
    FUi->edtWebPassword->setText(*Button->WebPassword);
  FUi->chkAutoUpdateFromDedicatedServer->setChecked(Button->AutoUpdateFromDedicatedServer);
  FUi->chkRemoveModsNotOnServer->setChecked(Button->RemoveModsNotOnServer);
  FUi->edtGameNameFilter->setText(Button->GameNameFilter);
  FUi->edtGamePassword->setText(Button->ServerPassword);
}

} // namespace tilvane
