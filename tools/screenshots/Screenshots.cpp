// Renders the main window (three mod folders, one of them active, one
// following a server), the editing dialogs and each small dialog to PNG files in the folder given
// as the only argument. Everything happens in a temporary folder with a
// platform that knows no real home; nothing is fetched or started.
#include "ShowcaseSetup.h"
#include "SilentPrompts.h"
#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "core/savegames/SavegamesReport.h"
#include "datamodule/MainDM.h"
#include "gui/crash/ExceptionDialog.h"
#include "gui/dialogs/AboutFM.h"
#include "gui/dialogs/DeleteModFolderFM.h"
#include "gui/dialogs/ServerURLInstructionFM.h"
#include "gui/dialogs/StartingFSFM.h"
#include "gui/main/MainFM.h"
#include "gui/main/PendingDialogs.h"
#include "gui/modfolder/NewModFolderFM.h"
#include "gui/savegames/SavegamesFM.h"
#include "gui/settings/DeveloperInfoFM.h"
#include "gui/settings/SettingsFM.h"
#include "gui/update/LaunchSyncFM.h"
#include "platform/FakePlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using namespace tilvane;

using tools::TSilentPrompts;

// Two saves, one served whole by the folder and one that lacks a mod and
// holds another in an older version.
TfmSavegames& ShowcaseSavegames(TfmMain& AMain) {
  TSavegamesReport Report;
  TSavegameNeeds Whole;
  Whole.FolderName = QStringLiteral("savegame1");
  Whole.SavegameName = QStringLiteral("Hof Bergmann");
  Whole.MapTitle = QStringLiteral("Hof Bergmann");
  Whole.Held = 12;
  TSavegameNeeds Lacking;
  Lacking.FolderName = QStringLiteral("savegame2");
  Lacking.SavegameName = QStringLiteral("Riverbend contract farm");
  Lacking.MapTitle = QStringLiteral("Riverbend Springs");
  Lacking.Held = 8;
  TSavegameMod Missing;
  Missing.ModName = QStringLiteral("FS25_GoeweilPack");
  Missing.Version = QStringLiteral("1.0.0.1");
  Lacking.Missing.append(Missing);
  TSavegameMod Older;
  Older.ModName = QStringLiteral("FS25_SiloExtension");
  Older.Version = QStringLiteral("1.2.0.0");
  Lacking.OtherVersion.append(Older);
  Report.Needs = {Whole, Lacking};
  return *new TfmSavegames(&AMain, AMain.DataModule().ModFolderList()[1]->Name, Report);
}

// FS25 installed, with three mod folders; the first is the game's.
void Prepare(const QString& ARoot, platform::FakePlatform& APlatform, IPromptService& APrompts) {
  APlatform.SetGameDocumentsFolder((ARoot + QStringLiteral("/prefix/Documents")).toStdString());
  TdmMain DataModule(APlatform, APrompts);
  tools::WriteShowcaseSetup(DataModule, ARoot);
}

bool Save(QWidget& AWidget, const QString& AFolder, const char* AName) {
  AWidget.show();
  QApplication::processEvents();
  const QString Path = AFolder + u'/' + QLatin1String(AName) + QStringLiteral(".png");
  const bool Saved = AWidget.grab().save(Path);
  std::fprintf(Saved ? stdout : stderr, "%s %s\n", Saved ? "wrote" : "cannot write",
               qUtf8Printable(Path));
  AWidget.hide();
  return Saved;
}

} // namespace

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: tilvane_screenshots <folder>\n");
    return 2;
  }
  const QString Output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(Output);
  QTemporaryDir Root;
  if (!Root.isValid())
    return 1;
  platform::FakePlatform Platform(Root.path().toStdString());
  TSilentPrompts Prompts;
  Prepare(Root.path(), Platform, Prompts);

  TPendingDialogs Dialogs;
  TfmMain Main(Platform, Prompts, {&Dialogs, {}, [] { return false; }, nullptr});
  bool Ok = Save(Main, Output, "main-window");
  Main.show();

  TfmDeleteModFolder Delete(&Main);
  Delete.chkRemoveFolder()->setChecked(true);
  Ok = Save(Delete, Output, "delete-mod-folder") && Ok;
  TfmStartingFS Starting(&Main, TFSVersion::fsv25);
  Ok = Save(Starting, Output, "starting-game") && Ok;
  TfmAbout About(&Main, Main.DataModule());
  Ok = Save(About, Output, "about") && Ok;
  TfmServerURLInstruction Instructions(&Main);
  Ok = Save(Instructions, Output, "server-url-instructions") && Ok;
  TfmNewModFolder Edit(&Main, TFSVersion::fsv25, Main.DataModule());
  Edit.SetEditMode(true);
  Edit.LoadFromTModFolder(*Main.DataModule().ModFolderList()[1]);
  Ok = Save(Edit, Output, "edit-mod-folder") && Ok;
  TfmSettings Settings(&Main, Main.DataModule());
  Ok = Save(Settings, Output, "settings") && Ok;
  TfmDeveloperInfo DeveloperInfo(&Main, Main.DataModule());
  Ok = Save(DeveloperInfo, Output, "developer-info") && Ok;
  // The window of a launch from Steam, before its sync starts (it starts
  // when the window is shown, which a grab does not do).
  TfmLaunchSync Launch(Main.DataModule(), *Main.DataModule().ModFolderList()[1], TFSVersion::fsv25,
                       true);
  Ok = Save(Launch, Output, "launch-sync") && Ok;
  Ok = Save(ShowcaseSavegames(Main), Output, "savegames") && Ok;
  std::exception_ptr Error;
  try {
    throw EAppError(QStringLiteral("Unable to write to ") + Root.path() +
                    QStringLiteral("/My Games/Tilvane/FS25.ini"));
  } catch (...) {
    Error = std::current_exception();
  }
  TExceptionDialog Report(Error, &Main);
  Report.show(); // unfolded as the player unfolds it: once it is on the screen
  QApplication::processEvents();
  Report.CreateDetails();
  Report.SetDetailsVisible(true);
  Ok = Save(Report, Output, "crash-report") && Ok;
  return Ok ? 0 : 1;
}
