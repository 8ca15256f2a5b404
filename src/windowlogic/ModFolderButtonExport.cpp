#include "windowlogic/ModFolderButtonExport.h"

#include "core/common/PromptService.h"
#include "core/modfolders/ModFolder.h"
#include "core/modfolders/ModFolderButtonFile.h"
#include "datamodule/MainDM.h"

namespace tilvane {

void ExportModFolderButton(TdmMain& ADataModule, TFSVersion AFSVersion,
                           const TModFolder& AModFolder) {
  // The file goes to other players: the web login, which opens the server's
  // administration, only travels when its owner says so.
  const bool WithWebLogin =
      !AModFolder.WebUsername.isEmpty() &&
      ADataModule.Prompts().AskYesNo(
          QStringLiteral("Do you want to add your web username and password to this mod button?"));

  TFileDialogOptions Options;
  Options.FileTypes = {TModFolderButtonFile::FileType()};
  Options.DefaultExtension = QStringLiteral("mfb");
  Options.InitialFolder = ADataModule.GetModManagerModFolders();
  // Saving over an earlier export is the usual case and only updates it.
  Options.OverwritePrompt = false;
  const QString FileName = ADataModule.Prompts().SaveFile(Options);
  if (FileName.isEmpty())
    return;

  TModFolderButtonFile(ADataModule.Platform())
      .Export(AModFolder, AFSVersion, TModFolderButtonFile::WithButtonExtension(FileName),
              WithWebLogin);
}

} // namespace tilvane
