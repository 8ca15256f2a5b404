#pragma once

#include "windowlogic/MainDialogs.h"

namespace tilvane {

class TdmMain;

// The program's editing dialogs, opened on the main window's data module.
class TProgramDialogs : public IMainDialogs {
public:
  // The main window creates the data module; it is handed over here before
  // the window takes its first event.
  void SetDataModule(TdmMain* ADataModule) { FDataModule = ADataModule; }

  bool ShowSettings(QWidget* AOwner) override;
  std::optional<TModFolder> NewModFolder(QWidget* AOwner, TFSVersion AFSVersion) override;
  bool EditModFolder(QWidget* AOwner, TFSVersion AFSVersion, TModFolder& AModFolder) override;
  void ExportModFolder(QWidget* AOwner, TFSVersion AFSVersion,
                       const TModFolder& AModFolder) override;
  void ShowDeveloperInfo(QWidget* AOwner) override;

private:
  TdmMain& DataModule() const;

  TdmMain* FDataModule = nullptr;
};

} // namespace tilvane
