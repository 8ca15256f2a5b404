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

std::optional<TModFolder> TProgramDialogs::NewModFolder(QWidget* AOwner, TFSVersion AFSVersion) {
  return TfmNewModFolder::NewModFolder(AOwner, AFSVersion, DataModule());
}

bool TProgramDialogs::EditModFolder(QWidget* AOwner, TFSVersion AFSVersion,
                                    TModFolder& AModFolder) {
  return TfmNewModFolder::EditModFolder(AOwner, AFSVersion, DataModule(), AModFolder);
}

void TProgramDialogs::ExportModFolder(QWidget*, TFSVersion AFSVersion,
                                      const TModFolder& AModFolder) {
  ExportModFolderButton(DataModule(), AFSVersion, AModFolder);
}

void TProgramDialogs::ShowDeveloperInfo(QWidget* AOwner) {
  TfmDeveloperInfo Window(AOwner, DataModule());
  Window.exec();
}

} // namespace tilvane
