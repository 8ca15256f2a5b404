#include "gui/main/ProgramDialogs.h"

#include "core/common/AppError.h"
#include "gui/modfolder/NewModFolderFM.h"
#include "gui/settings/DeveloperInfoFM.h"
#include "gui/settings/SettingsFM.h"
#include "windowlogic/ModFolderButtonExport.h"

namespace tilvane {

TdmMain& TProgramDialogs::DataModule() const {
  if (!FDataModule)
    throw EAppError(QStringLiteral("The dialogs were opened before the data module existed"));
  return *FDataModule;
}

bool TProgramDialogs::ShowSettings(QWidget* AOwner) {
  TfmSettings Dialog(AOwner, DataModule());
  return Dialog.exec() == QDialog::Accepted;
}

std::optional<TModFolder> TProgramDialogs::NewModFolder(QWidget* AOwner, TFSVersion AFsVersion) {
  return TfmNewModFolder::NewModFolder(AOwner, AFsVersion, DataModule());
}

bool TProgramDialogs::EditModFolder(QWidget* AOwner, TFSVersion AFsVersion,
                                    TModFolder& AModFolder) {
  return TfmNewModFolder::EditModFolder(AOwner, AFsVersion, DataModule(), AModFolder);
}

void TProgramDialogs::ExportModFolder(QWidget*, TFSVersion AFsVersion,
                                      const TModFolder& AModFolder) {
  ExportModFolderButton(DataModule(), AFsVersion, AModFolder);
}

void TProgramDialogs::ShowDeveloperInfo(QWidget* AOwner) {
  TfmDeveloperInfo Window(AOwner, DataModule());
  Window.exec();
}

} // namespace tilvane
