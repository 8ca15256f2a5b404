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

std::optional<TModFolder> TProgramDialogs::NewModFolder(QWidget* AOwner, TFSVersion FSVersion) {
  return TfmNewModFolder::NewModFolder(AOwner, FSVersion, DataModule());
}

bool TProgramDialogs::EditModFolder(QWidget* AOwner, TFSVersion FSVersion, TModFolder& AModFolder) {
  return TfmNewModFolder::EditModFolder(AOwner, FSVersion, DataModule(), AModFolder);
}

void TProgramDialogs::ExportModFolder(QWidget*, TFSVersion FSVersion,
                                      const TModFolder& AModFolder) {
  ExportModFolderButton(DataModule(), FSVersion, AModFolder);
}

void TProgramDialogs::ShowDeveloperInfo(QWidget* AOwner) {
  TfmDeveloperInfo Window(AOwner, DataModule());
  Window.exec();
}

} // namespace tilvane
