// The main window looks each game up once per redraw: whether a folder is
// the game's, its Proton prefix. A hover over a button's mark asks the kept
// answer; a redraw, a click that changes the game's folder and the settings
// dialog ask anew.
#include "MainWindowFixture.h"

#include "gui/main/ModFolderFR.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include <filesystem>

namespace tilvane::test {
namespace {

// Marks: '*' the game's folder, '+' the hover's make-active mark, '.' none.
QString Marks(TfmMain& AWindow) {
  QString Result;
  for (TfrModFolder* Frame : AWindow.Frames()) {
    const auto& Label = Child<QLabel>(*Frame, "imgCurrent");
    const bool Framed = Child<QFrame>(*Frame, "pnlCurrent").frameShape() != QFrame::NoFrame;
    Result += Label.pixmap().isNull() ? u'.' : (Framed ? u'+' : u'*');
  }
  return Result;
}

void Hover(TfrModFolder* AFrame, QEvent::Type AType) {
  QEvent Event(AType);
  QCoreApplication::sendEvent(&Child<QLabel>(*AFrame, "imgCurrent"), &Event);
}

class GameLookupsTest : public MainWindowTest {
protected:
  // FS25 under Proton, its files where they were; the prefix's z: is the root.
  void InstallUnderProton() {
    Install(TFSVersion::fsv25);
    namespace fs = std::filesystem;
    const QString Prefix = Env.PathOf(QStringLiteral("compatdata/2300320/pfx"));
    const fs::path DosDevices = (Prefix + QStringLiteral("/dosdevices")).toStdString();
    fs::create_directories(DosDevices);
    fs::create_directory_symlink("/", DosDevices / "z:");
    Env.Platform().SetProtonGame(2300320, {Prefix.toStdString(), Games.Documents().toStdString()});
  }

  std::vector<TModFolder> SetNumberedFolders(int ACount) {
    std::vector<TModFolder> Folders;
    for (int I = 1; I <= ACount; ++I)
      Folders.push_back(MakeFolder(QStringLiteral("Folder%1").arg(I, 2, 10, QLatin1Char('0'))));
    SetFolders(TFSVersion::fsv25, Folders);
    return Folders;
  }
};

TEST_F(GameLookupsTest, AHoverOverTwentyMarksLooksNothingUpAndARedrawLooksOnce) {
  InstallUnderProton();
  const std::vector<TModFolder> Folders = SetNumberedFolders(20);
  TfmMain& Main = Open();
  Main.DataModule().SetFSModFolder(TFSVersion::fsv25, Folders[2].Folder);
  Main.UpdateGUI(true);
  ASSERT_EQ(Main.Frames().size(), 20u);
  EXPECT_EQ(Marks(Main), QStringLiteral("..*................."));

  const int Before = Env.Platform().ProtonLookups();
  for (TfrModFolder* Frame : Main.Frames())
    Hover(Frame, QEvent::Enter);
  EXPECT_EQ(Marks(Main), QStringLiteral("++*+++++++++++++++++"));
  for (TfrModFolder* Frame : Main.Frames())
    Hover(Frame, QEvent::Leave);
  EXPECT_EQ(Marks(Main), QStringLiteral("..*................."));
  for (TfrModFolder* Frame : Main.Frames())
    Frame->pmRightClickPopup();
  EXPECT_EQ(Env.Platform().ProtonLookups() - Before, 0);

  Main.UpdateGUI(true);
  EXPECT_EQ(Env.Platform().ProtonLookups() - Before, 1) << "one lookup for twenty buttons";
  EXPECT_TRUE(Reported.empty());
}

TEST_F(GameLookupsTest, TheMarkFollowsTheGamesFolderAtTheNextRedraw) {
  Install(TFSVersion::fsv25);
  const std::vector<TModFolder> Folders = SetNumberedFolders(3);
  TfmMain& Main = Open();
  EXPECT_EQ(Marks(Main), QStringLiteral("..."));

  // A click on the mark makes the folder the game's; its queued redraw shows it.
  Main.Frames()[1]->imgCurrentClick();
  Settle();
  EXPECT_EQ(Marks(Main), QStringLiteral(".*."));
  Main.Frames()[0]->Logic().MakeActive();
  Settle();
  EXPECT_EQ(Marks(Main), QStringLiteral("*.."));

  // Another copy of the program (or the player) changes the game's settings:
  // the next redraw reads them.
  {
    TdmMain Other(Env.Platform(), Env.Prompts());
    Other.SetFSModFolder(TFSVersion::fsv25, Folders[2].Folder);
  }
  Main.UpdateGUI(true);
  EXPECT_EQ(Marks(Main), QStringLiteral("..*"));
  EXPECT_TRUE(Main.Frames()[2]->Logic().IsActive());
  EXPECT_FALSE(Main.Frames()[0]->Logic().IsActive());
  EXPECT_TRUE(Reported.empty());
}

TEST_F(GameLookupsTest, TheSettingsDialogAndItsOkLookTheGameUpAnew) {
  InstallUnderProton();
  SetNumberedFolders(2);
  TfmMain& Main = Open();
  EXPECT_EQ(Main.DataModule().GetFSProtonPrefix(TFSVersion::fsv25),
            Env.PathOf(QStringLiteral("compatdata/2300320/pfx")));

  // The game runs natively now; the dialog sees it, and so does the window after OK.
  Env.Platform().SetProtonGame(2300320, {});
  const int Before = Env.Platform().ProtonLookups();
  Dialogs.SettingsAnswer = true;
  Main.btnSettingsClick();
  EXPECT_EQ(Dialogs.SettingsRequests, 1);
  // The tabs search FS19 and FS22, which are not installed, once each; the
  // redraw after OK asks FS25.
  EXPECT_EQ(Env.Platform().ProtonLookups() - Before, 3);
  EXPECT_EQ(Main.DataModule().GetFSProtonPrefix(TFSVersion::fsv25), QString());
  EXPECT_TRUE(Reported.empty());
}

} // namespace
} // namespace tilvane::test
