#include "MainWindowFixture.h"

#include "core/common/AppError.h"
#include "gui/dialogs/DeleteModFolderFM.h"
#include "gui/dialogs/StartingFSFM.h"
#include "gui/logviewer/LogViewerFM.h"
#include "gui/logviewer/LogViewerInstance.h"
#include "gui/main/ModFolderFR.h"
#include "gui/savegames/SavegamesFM.h"
#include "support/UpdateTestSupport.h"
#include "windowlogic/MainWindowLogic.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTreeWidget>

#include <filesystem>

namespace tilvane::test {
namespace {

const QString Yes = QStringLiteral("1.0.0.0");

QStringList TabCaptions(TfmMain& AWindow) {
  const auto& Tabs = Child<QTabBar>(AWindow, "tabFS");
  QStringList Captions;
  for (int I = 0; I < Tabs.count(); ++I)
    Captions.append(Tabs.tabText(I));
  return Captions;
}

QString SelectedTab(TfmMain& AWindow) {
  const auto& Tabs = Child<QTabBar>(AWindow, "tabFS");
  return Tabs.currentIndex() < 0 ? QString() : Tabs.tabText(Tabs.currentIndex());
}

bool ShowsActiveMark(TfrModFolder* AFrame) {
  const QPixmap Mark = Child<QLabel>(*AFrame, "imgCurrent").pixmap();
  return !Mark.isNull();
}

QAction* MenuAction(TfrModFolder* AFrame, const char* AName) {
  return &Child<QAction>(*AFrame, AName);
}

// Opens the button's menu the way a right click does and reads its states.
QString MenuStates(TfrModFolder* AFrame) {
  AFrame->pmRightClickPopup();
  QString States;
  for (const char* Name :
       {"mniUpdateMods", "mniRedownloadMods", "mniOpenServerModList", "mniMakeModFolderActive",
        "mniMoveFirst", "mniMoveUp", "mniMoveDown", "mniMoveLast"})
    States += MenuAction(AFrame, Name)->isEnabled() ? u'1' : u'0';
  States += MenuAction(AFrame, "mniDownloadmodpagehtml")->isVisible() ? u'v' : u'-';
  return States;
}

TEST_F(MainWindowTest, OneClickSyncsTheFolderMakesItTheGamesAndStartsTheGame) {
  Install(TFSVersion::fsv25);
  const TModFolder Plain = MakeFolder(QStringLiteral("Plain"));
  const TModFolder Followed = MakeFolder(QStringLiteral("Followed"), true);
  SetFolders(TFSVersion::fsv25, {Plain, Followed});
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  MakeModArchive(Env.PathOf(QStringLiteral("served/A.zip")), QStringLiteral("Tester"), Yes);
  Server.SetFile(QStringLiteral("A.zip"), ReadFile(Env.PathOf(QStringLiteral("served/A.zip"))));
  // The folder does not exist yet: the player agrees to have it created.
  Env.Prompts().AnswerYes();
  TfmMain& Main = Open();
  ASSERT_EQ(Main.Frames().size(), 2u);
  EXPECT_FALSE(ShowsActiveMark(Main.Frames()[1]));

  bool NoticeShown = false;
  WhenShown<TfmStartingFS>([&](TfmStartingFS* ANotice) {
    NoticeShown = true;
    ANotice->accept();
  });
  Main.Frames()[1]->btnModFolderClick();
  Settle();

  EXPECT_TRUE(Reported.empty());
  EXPECT_EQ(Env.Prompts().Questions(),
            QStringList{QStringLiteral("Mod folder ") + Followed.Folder +
                        QStringLiteral(" does not exists.  Do you want to create it?")});
  EXPECT_EQ(Main.DataModule().GetFSModFolder(TFSVersion::fsv25), Followed.Folder);
  QString Filter, Password;
  Main.DataModule().GetFSJoinGame(TFSVersion::fsv25, Filter, Password);
  EXPECT_EQ(Filter, QStringLiteral("Followed server"));
  EXPECT_EQ(Password, QStringLiteral("secret"));
  EXPECT_EQ(ReadFile(Followed.Folder + QStringLiteral("/A.zip")),
            ReadFile(Env.PathOf(QStringLiteral("served/A.zip"))));
  EXPECT_EQ(Env.Platform().OpenedTargets(),
            std::vector<std::string>{Games.Executable(TFSVersion::fsv25).toStdString()});
  EXPECT_TRUE(NoticeShown);
  // The redraw moved the mark to the clicked button.
  ASSERT_EQ(Main.Frames().size(), 2u);
  EXPECT_FALSE(ShowsActiveMark(Main.Frames()[0]));
  EXPECT_TRUE(ShowsActiveMark(Main.Frames()[1]));
}

TEST_F(MainWindowTest, ClickIsRefusedWhileTheGameRuns) {
  Install(TFSVersion::fsv25);
  SetFolders(TFSVersion::fsv25, {MakeFolder(QStringLiteral("Plain"))});
  QDir().mkpath(Env.PathOf(QStringLiteral("mods/Plain")));
  Env.Platform().SetRunningProcesses({"FarmingSimulator2025Game.exe"});
  TfmMain& Main = Open();
  Main.Frames()[0]->btnModFolderClick();
  EXPECT_EQ(
      Env.Prompts().Messages(),
      QStringList{QStringLiteral("Can not start Farming Simulator 25. It is already running.")});
  EXPECT_EQ(Main.DataModule().GetFSModFolder(TFSVersion::fsv25), QString());
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
}

TEST_F(MainWindowTest, AGameUnderProtonGetsWhatItSeesAndStartsThroughSteam) {
  Install(TFSVersion::fsv25);
  // The prefix's C: is the folder that holds the game's documents; there is
  // no Z:, so the game sees nothing else.
  namespace fs = std::filesystem;
  const QString Prefix = Env.PathOf(QStringLiteral("compatdata/2300320/pfx"));
  fs::create_directories((Prefix + QStringLiteral("/dosdevices")).toStdString());
  fs::create_directory_symlink(Env.PathOf(QStringLiteral("prefix")).toStdString(),
                               (Prefix + QStringLiteral("/dosdevices/c:")).toStdString());
  Env.Platform().SetProtonGame(
      2300320,
      {Prefix.toStdString(), Env.PathOf(QStringLiteral("prefix/Documents")).toStdString()});
  TModFolder Seen = MakeFolder(QStringLiteral("Seen"));
  Seen.Folder = Env.PathOf(QStringLiteral("prefix/Documents/Mods/Seen"));
  const TModFolder Unseen = MakeFolder(QStringLiteral("Unseen"));
  SetFolders(TFSVersion::fsv25, {Seen, Unseen});
  TfmMain& Main = Open();
  ASSERT_EQ(Main.Frames().size(), 2u);

  Main.Frames()[1]->btnModFolderClick();
  Settle();
  EXPECT_EQ(Env.Prompts().Messages(),
            QStringList{QStringLiteral("Can not use mod folder ") + Unseen.Folder +
                        QStringLiteral(" with Farming Simulator 25. The game runs under Proton "
                                       "and no drive of its prefix leads to that folder.")});
  EXPECT_TRUE(Env.Prompts().Questions().isEmpty()) << "nothing created for a refused folder";
  EXPECT_EQ(ReadFile(Games.GameSettings(TFSVersion::fsv25)).count("modsDirectoryOverride"), 0);
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());

  Env.Prompts().AnswerYes();
  WhenShown<TfmStartingFS>([](TfmStartingFS* ANotice) { ANotice->accept(); });
  Main.Frames()[0]->btnModFolderClick();
  Settle();
  EXPECT_TRUE(Reported.empty());
  EXPECT_TRUE(ReadFile(Games.GameSettings(TFSVersion::fsv25))
                  .contains("directory=\"C:\\Documents\\Mods\\Seen\""));
  EXPECT_EQ(Env.Platform().OpenedTargets(), std::vector<std::string>{"steam://rungameid/2300320"});
  // The game's path and the button's folder are one: the mark moved.
  ASSERT_EQ(Main.Frames().size(), 2u);
  EXPECT_TRUE(ShowsActiveMark(Main.Frames()[0]));
  EXPECT_FALSE(ShowsActiveMark(Main.Frames()[1]));
}

TEST_F(MainWindowTest, FailedUpdateLeavesTheGameOnItsFolderAndStartsNothing) {
  Install(TFSVersion::fsv25);
  const TModFolder Followed = MakeFolder(QStringLiteral("Followed"), true);
  SetFolders(TFSVersion::fsv25, {Followed});
  QDir().mkpath(Followed.Folder);
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  Server.SetFile(QStringLiteral("A.zip"), "x");
  Server.SetStatusSequence(QStringLiteral("A.zip"), {500, 500, 500});
  TfmMain& Main = Open();
  const QByteArray SettingsBefore = ReadFile(Games.GameSettings(TFSVersion::fsv25));
  Main.Frames()[0]->btnModFolderClick();
  Settle();
  EXPECT_EQ(
      Env.Prompts().Messages(),
      QStringList{QStringLiteral("Unable to download A.zip. Exiting.\r\nError: Internal Server "
                                 "Error(Code: 500)")});
  EXPECT_EQ(ReadFile(Games.GameSettings(TFSVersion::fsv25)), SettingsBefore)
      << "the game's settings change only after the sync";
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_FALSE(ShowsActiveMark(Main.Frames()[0])) << "no redraw after a failed update";
}

// Stored before the dialog refused it: a server button on the game's own
// mods folder. Neither a click nor the menu starts a sync or the game.
TEST_F(MainWindowTest, AServerButtonWithoutAFolderStartsNothing) {
  Install(TFSVersion::fsv25);
  TModFolder Followed = MakeFolder(QStringLiteral("Followed"), true);
  Followed.Folder.clear();
  SetFolders(TFSVersion::fsv25, {Followed});
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  TfmMain& Main = Open();
  const QString Refusal =
      QStringLiteral("A mod folder that follows a dedicated server needs its own folder.");
  Main.Frames()[0]->btnModFolderClick();
  Settle();
  MenuAction(Main.Frames()[0], "mniUpdateMods")->trigger();
  Settle();
  MenuAction(Main.Frames()[0], "mniRedownloadMods")->trigger();
  Settle();
  EXPECT_EQ(Env.Prompts().Messages(), QStringList({Refusal, Refusal, Refusal}));
  EXPECT_TRUE(Env.Prompts().Questions().isEmpty());
  EXPECT_TRUE(Server.AllRequests().empty());
  EXPECT_TRUE(Env.Platform().OpenedTargets().empty());
  EXPECT_TRUE(Reported.empty());
}

// The browser's command line is readable by every user: the page opens
// without the web login, and the player logs in there.
TEST_F(MainWindowTest, TheModListOpensInTheBrowserWithoutTheWebLogin) {
  Install(TFSVersion::fsv25);
  TModFolder Followed = MakeFolder(QStringLiteral("Followed"), true);
  Followed.WebUsername = QStringLiteral("admin");
  Followed.WebPassword = QStringLiteral("w3b secret");
  SetFolders(TFSVersion::fsv25, {Followed});
  TfmMain& Main = Open();
  MenuAction(Main.Frames()[0], "mniOpenServerModList")->trigger();
  EXPECT_EQ(Env.Platform().OpenedTargets(),
            std::vector<std::string>{Server.PageURL().toStdString()});
}

TEST_F(MainWindowTest, MenusFollowThePlaceAndTheServerOfEachFolder) {
  Install(TFSVersion::fsv25);
  SetFolders(TFSVersion::fsv25,
             {MakeFolder(QStringLiteral("First"), true), MakeFolder(QStringLiteral("Middle")),
              MakeFolder(QStringLiteral("Last"), true)});
  TfmMain& Main = Open();
  const std::vector<TfrModFolder*> Frames = Main.Frames();
  ASSERT_EQ(Frames.size(), 3u);
  // update, re-download, open list, make active, first, up, down, last; debug item
  EXPECT_EQ(MenuStates(Frames[0]), QStringLiteral("11110011-"));
  EXPECT_EQ(MenuStates(Frames[1]), QStringLiteral("00011111-"));
  EXPECT_EQ(MenuStates(Frames[2]), QStringLiteral("11111100-"));
  Shift = true;
  EXPECT_EQ(MenuStates(Frames[1]), QStringLiteral("00011111v"));

  // The game uses "Middle" now: make-active compares exactly.
  Main.DataModule().SetFSModFolder(TFSVersion::fsv25, Frames[1]->Logic().ModFolder().Folder);
  EXPECT_EQ(MenuStates(Frames[1]), QStringLiteral("00001111v"));
  Main.DataModule().SetFSModFolder(TFSVersion::fsv25,
                                   Frames[1]->Logic().ModFolder().Folder.toUpper());
  EXPECT_EQ(MenuStates(Frames[1]), QStringLiteral("00011111v"));
  EXPECT_TRUE(Frames[1]->Logic().IsActive()) << "the mark ignores letter case";

  // A single folder can move nowhere; the Tools menu's hidden entry follows Shift.
  SetFolders(TFSVersion::fsv25, {MakeFolder(QStringLiteral("Only"))});
  Main.UpdateGUI(true);
  EXPECT_EQ(MenuStates(Main.Frames()[0]), QStringLiteral("00010000v"));
  Main.popToolsPopup();
  EXPECT_TRUE(Child<QAction>(Main, "mniDeveloperInfo").isVisible());
  Shift = false;
  Main.popToolsPopup();
  EXPECT_FALSE(Child<QAction>(Main, "mniDeveloperInfo").isVisible());
  EXPECT_FALSE(Child<QAction>(Main, "N2").isVisible());
}

TEST_F(MainWindowTest, DeleteRemovesTheButtonAndTheFilesOnlyWhenAllowed) {
  Install(TFSVersion::fsv25);
  const TModFolder Followed = MakeFolder(QStringLiteral("Followed"), true);
  const TModFolder Plain = MakeFolder(QStringLiteral("Plain"));
  SetFolders(TFSVersion::fsv25, {Followed, Plain});
  WriteFile(Followed.Folder + QStringLiteral("/A.zip"), "a");
  WriteFile(Plain.Folder + QStringLiteral("/B.zip"), "b");
  TfmMain& Main = Open();
  Main.DataModule().SetFSModFolder(TFSVersion::fsv25, Followed.Folder);
  Env.Platform().SetRunningProcesses({"FarmingSimulator2025Game.exe"});

  // The active folder's files while the game runs: refused.
  bool Ticked = false;
  WhenShown<TfmDeleteModFolder>([&](TfmDeleteModFolder* ADialog) {
    Ticked = ADialog->chkRemoveFolder()->isChecked();
    Child<QPushButton>(*ADialog, "btnYes").click();
  });
  MenuAction(Main.Frames()[0], "mniDelete")->trigger();
  Settle();
  EXPECT_TRUE(Ticked) << "a server's folder has its files removed by default";
  EXPECT_EQ(Env.Prompts().Messages(),
            QStringList{QStringLiteral(
                "Can not delete active mod folder mods while Farming Simulator 25 is running.")});
  EXPECT_EQ(Main.Frames().size(), 2u);

  // The same without its files: allowed; the files stay.
  WhenShown<TfmDeleteModFolder>([](TfmDeleteModFolder* ADialog) {
    ADialog->chkRemoveFolder()->setChecked(false);
    Child<QPushButton>(*ADialog, "btnYes").click();
  });
  MenuAction(Main.Frames()[0], "mniDelete")->trigger();
  Settle();
  ASSERT_EQ(Main.Frames().size(), 1u);
  EXPECT_TRUE(QFile::exists(Followed.Folder + QStringLiteral("/A.zip")));

  // A folder without a server: cleared at first; ticked by the player, its
  // files go too.
  Env.Platform().SetRunningProcesses({});
  WhenShown<TfmDeleteModFolder>([&](TfmDeleteModFolder* ADialog) {
    Ticked = ADialog->chkRemoveFolder()->isChecked();
    ADialog->chkRemoveFolder()->setChecked(true);
    Child<QPushButton>(*ADialog, "btnYes").click();
  });
  MenuAction(Main.Frames()[0], "mniDelete")->trigger();
  Settle();
  EXPECT_FALSE(Ticked);
  EXPECT_TRUE(Main.Frames().empty());
  EXPECT_FALSE(QFile::exists(Plain.Folder));
}

TEST_F(MainWindowTest, HeightHoldsHeaderTabsAndOneRowPerFolderUpToTheWorkArea) {
  Install(TFSVersion::fsv25);
  SetFolders(TFSVersion::fsv25, {});
  TfmMain& Main = Open();
  EXPECT_EQ(Main.height(), 64);
  for (const int Count : {1, 3}) {
    std::vector<TModFolder> Folders;
    for (int I = 0; I < Count; ++I)
      Folders.push_back(MakeFolder(QStringLiteral("Folder %1").arg(I)));
    SetFolders(TFSVersion::fsv25, Folders);
    Main.UpdateGUI(true);
    EXPECT_EQ(Main.height(), 40 + 24 + 54 * Count);
  }
  std::vector<TModFolder> Many;
  for (int I = 0; I < 60; ++I)
    Many.push_back(MakeFolder(QStringLiteral("Folder %1").arg(I)));
  SetFolders(TFSVersion::fsv25, Many);
  Main.UpdateGUI(true);
  // The window, frame included, fixes its height at the work area's; the
  // buttons scroll.
  const int Frame = Main.frameGeometry().height() - Main.geometry().height();
  EXPECT_EQ(Main.minimumHeight() + Frame, Main.screen()->availableGeometry().height());
  EXPECT_EQ(Main.maximumHeight(), Main.minimumHeight());
  EXPECT_EQ(Main.Frames().size(), 60u);
}

TEST(MainWindowLogicTest, HeightScalesWithTheMonitorAndStopsAtTheWorkArea) {
  using THeight = TMainWindowLogic::THeight;
  const struct {
    THeight Height;
    int Expected;
  } Cases[] = {
      {{0, 42, 40, 24, 96, 0, 0}, 64},     {{3, 42, 40, 24, 96, 0, 0}, 190},
      {{3, 42, 40, 30, 144, 31, 0}, 310}, // (3 * 42 + 40) * 1.5 + 31 + 30
      {{3, 42, 40, 24, 96, 30, 200}, 200}, {{100, 42, 40, 24, 96, 30, 1040}, 1040},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(TMainWindowLogic::WindowHeight(Case.Height), Case.Expected) << Case.Height.Folders;
}

TEST_F(MainWindowTest, PickedTabIsRememberedOnlyWhenThereIsAChoice) {
  Install(TFSVersion::fsv22);
  Install(TFSVersion::fsv25);
  {
    TfmMain& Main = Open();
    EXPECT_EQ(TabCaptions(Main), (QStringList{QStringLiteral("FS22"), QStringLiteral("FS25")}));
    EXPECT_EQ(SelectedTab(Main), QStringLiteral("FS25"));
    Child<QTabBar>(Main, "tabFS").setCurrentIndex(0);
    EXPECT_EQ(Main.GetFSVersionTab(), TFSVersion::fsv22);
  }
  Window.reset();
  EXPECT_EQ(SelectedTab(Open()), QStringLiteral("FS22"));

  // With FS25 alone the remembered FS22 does not count; neither does it
  // once the settings were confirmed.
  Window.reset();
  {
    TdmMain DataModule(Env.Platform(), Env.Prompts());
    DataModule.SetFSShowTab(TFSVersion::fsv22, false);
  }
  EXPECT_EQ(TabCaptions(Open()), QStringList{QStringLiteral("FS25")});
  Window.reset();
  {
    TdmMain DataModule(Env.Platform(), Env.Prompts());
    DataModule.SetFSShowTab(TFSVersion::fsv22, true);
  }
  TfmMain& Main = Open();
  EXPECT_EQ(SelectedTab(Main), QStringLiteral("FS22"));
  Dialogs.SettingsAnswer = true;
  Main.btnSettingsClick();
  EXPECT_EQ(SelectedTab(Main), QStringLiteral("FS25"));
}

TEST_F(MainWindowTest, WithoutAGameThePlayerIsAskedToLocateIt) {
  TfmMain& Main = Open();
  EXPECT_TRUE(TabCaptions(Main).isEmpty());
  EXPECT_EQ(Env.Prompts().Messages(),
            QStringList{QStringLiteral("Unable to detect if Farming Simulator was installed.")});
  EXPECT_EQ(Dialogs.SettingsRequests, 1);
  EXPECT_EQ(Main.GetFSVersionTab(), TFSVersion::fsv25);
  Main.btnAddModFolderClick();
  EXPECT_EQ(Env.Prompts().Messages().last(),
            QStringLiteral("Unable find Farming Simulator. Help me locate it."));
  EXPECT_EQ(Dialogs.SettingsRequests, 2);
  EXPECT_EQ(Dialogs.NewRequests, 0);
}

TEST_F(MainWindowTest, AddedFolderBecomesTheLastButton) {
  Install(TFSVersion::fsv25);
  SetFolders(TFSVersion::fsv25, {MakeFolder(QStringLiteral("Plain"))});
  TfmMain& Main = Open();
  Dialogs.NewAnswer = MakeFolder(QStringLiteral("New one"));
  Main.btnAddModFolderClick();
  ASSERT_EQ(Main.Frames().size(), 2u);
  EXPECT_EQ(Main.Frames()[1]->Logic().ModFolder().Name, QStringLiteral("New one"));
  EXPECT_EQ(Main.Frames()[1]->objectName(), QStringLiteral("frModFolder3"));
}

TEST_F(MainWindowTest, TheLogViewerOpensOnce) {
  Install(TFSVersion::fsv25);
  TfmMain& Main = Open();
  Main.mniLogViewerClick();
  auto* Viewer = LogViewerInstance();
  ASSERT_NE(Viewer, nullptr);
  Main.mniLogViewerClick();
  EXPECT_EQ(LogViewerInstance(), Viewer);
  EXPECT_EQ(QApplication::topLevelWidgets().count(static_cast<QWidget*>(Viewer)), 1);
  delete Viewer;
}

TEST_F(MainWindowTest, AnErrorInAHandlerIsReportedAndTheWindowGoesOn) {
  Install(TFSVersion::fsv25);
  SetFolders(TFSVersion::fsv25, {MakeFolder(QStringLiteral("Plain"))});
  QDir().mkpath(Env.PathOf(QStringLiteral("mods/Plain")));
  TfmMain& Main = Open();
  Env.Platform().SetProcessListError("Access denied");
  Main.Frames()[0]->btnModFolderClick();
  ASSERT_EQ(Reported.size(), 1u);
  try {
    std::rethrow_exception(Reported[0]);
  } catch (const EAppError& Error) {
    EXPECT_EQ(Error.Message(), QStringLiteral("Access denied"));
  }
  Env.Platform().SetProcessListError({});
  WhenShown<TfmStartingFS>([](TfmStartingFS* ANotice) { ANotice->accept(); });
  Main.Frames()[0]->btnModFolderClick();
  Settle();
  EXPECT_EQ(Reported.size(), 1u);
  EXPECT_EQ(Env.Platform().OpenedTargets().size(), 1u);
}

// "Savegames…" reads the game's saves of the button's game and shows what
// each needs of the folder.
TEST_F(MainWindowTest, SavegamesShowsWhatEachSaveNeedsOfTheFolder) {
  Install(TFSVersion::fsv25);
  const TModFolder Plain = MakeFolder(QStringLiteral("Plain"));
  SetFolders(TFSVersion::fsv25, {Plain});
  MakeModArchive(Plain.Folder + QStringLiteral("/FS25_Barn.zip"), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  TfmMain& Main = Open();
  WriteFile(Main.DataModule().GetFSMyGamesFolder(TFSVersion::fsv25) +
                QStringLiteral("/savegame4/careerSavegame.xml"),
            R"(<?xml version="1.0" encoding="utf-8" standalone="no"?>
<careerSavegame revision="2" valid="true">
    <settings><savegameName>Riverbend</savegameName><mapId>MapUS</mapId><mapTitle>Riverbend Springs</mapTitle></settings>
    <mod modName="FS25_Barn" title="Barn" version="1.0.0.0" required="false" fileHash=""/>
    <mod modName="FS25_Plough" title="Plough" version="1.2.0.0" required="false" fileHash="nil"/>
</careerSavegame>
)");
  QStringList Lines;
  WhenShown<TfmSavegames>([&](TfmSavegames* ADialog) {
    const auto& Tree = Child<QTreeWidget>(*ADialog, "tvSavegames");
    for (int I = 0; I < Tree.topLevelItemCount(); ++I) {
      Lines << Tree.topLevelItem(I)->text(0);
      for (int J = 0; J < Tree.topLevelItem(I)->childCount(); ++J)
        Lines << QStringLiteral("  ") + Tree.topLevelItem(I)->child(J)->text(0);
    }
    Child<QPushButton>(*ADialog, "btnClose").click();
  });
  MenuAction(Main.Frames()[0], "mniSavegames")->trigger();
  Settle();
  EXPECT_EQ(Lines, (QStringList{QStringLiteral("savegame4: Riverbend, map Riverbend Springs"),
                                QStringLiteral("  FS25_Plough 1.2.0.0: not in this folder")}));
  EXPECT_TRUE(Reported.empty());
}

} // namespace
} // namespace tilvane::test
