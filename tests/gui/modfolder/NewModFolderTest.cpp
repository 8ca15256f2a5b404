// The new and edit mod folder dialog, and the export and import of button
// files through it.
#include "support/FailingPorts.h"
#include "support/UpdateTestSupport.h"

#include "core/common/IniFile.h"
#include "core/modfolders/ModFolder.h"
#include "datamodule/MainDM.h"
#include "gui/common/QtWaitService.h"
#include "gui/common/WaitingFM.h"
#include "gui/dialogs/ServerURLInstructionFM.h"
#include "gui/modfolder/NewModFolderFM.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"
#include "windowlogic/ModFolderButtonExport.h"
#include "windowlogic/NewModFolderLogic.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tilvane::test {
namespace {

QStringList Strings(std::initializer_list<const char*> ATexts) {
  QStringList Result;
  for (const char* Text : ATexts)
    Result << L(Text);
  return Result;
}

// The fields of the dialog as SaveToTModFolder gives them, for comparisons.
QStringList Fields(const TfmNewModFolder& ADialog) {
  TModFolder Folder;
  ADialog.SaveToTModFolder(Folder);
  return {Folder.Name,
          Folder.Folder,
          Folder.DedicatedServerURL,
          Folder.StatsFeedURL,
          Folder.WebUsername,
          Folder.WebPassword,
          Folder.AutoUpdateFromDedicatedServer ? QStringLiteral("auto") : QStringLiteral("-"),
          Folder.RemoveModsNotOnServer ? QStringLiteral("remove") : QStringLiteral("-"),
          Folder.GameNameFilter,
          Folder.GamePassword};
}

class NewModFolderTest : public ::testing::Test {
protected:
  NewModFolderTest() { DataModule.SetModManagerModFolders(Env.PathOf(QStringLiteral("Mods"))); }

  QLineEdit& Edit(TfmNewModFolder& ADialog, const char* AName) {
    return Child<QLineEdit>(ADialog, AName);
  }
  QString Dir(TfmNewModFolder& ADialog) { return Edit(ADialog, "edtModFolder").text(); }
  void Click(TfmNewModFolder& ADialog, const char* AName) {
    Child<QAbstractButton>(ADialog, AName).click();
  }
  // The name as the user types it: every key changes the name once.
  void TypeName(TfmNewModFolder& ADialog, const QString& AName) {
    QLineEdit& Name = Edit(ADialog, "edtName");
    Name.clear();
    QTest::keyClicks(&Name, AName);
  }
  bool Accepted(const TfmNewModFolder& ADialog) { return ADialog.result() == QDialog::Accepted; }

  TestEnvironment Env;
  std::vector<std::exception_ptr> Reported;
  TdmMain DataModule{Env.Platform(), Env.Prompts(),
                     [this](std::exception_ptr AError) { Reported.push_back(AError); }};
};

TEST_F(NewModFolderTest, ControlsCaptionsAndTabOrder) {
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  EXPECT_EQ(Dialog.objectName(), QStringLiteral("fmNewModFolder"));
  EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("New FS22 Mod Folder"));
  const struct {
    const char* Name;
    const char* Text;
  } Labels[] = {
      {"Label5", "Button name"},
      {"Label2", "Mod folder's directory"},
      {"Label11", "Leave Mod folder's directory blank to use Farm Simulator's default mod folder."},
      {"Label6", "Any thing between the lines below are for use with a Farming Simulator dedicated "
                 "server.  If you are not using one or want to manager the mods yourself ignore "
                 "this section."},
      {"Label1", "Dedicated server URL"},
      {"lblStatsFeedURL", "Stats feed URL (optional):"},
      {"Label4", "Example URL:"},
      {"Label3", "http://192.0.2.17:8380/mods.html"},
      {"Label9", "Web username"},
      {"Label10", "Web password"},
      {"Label7", "Game name filter"},
      {"Label8", "Game password"},
  };
  for (const auto& Label : Labels)
    EXPECT_EQ(Child<QLabel>(Dialog, Label.Name).text(), L(Label.Text)) << Label.Name;
  const struct {
    const char* Name;
    const char* Text;
    const char* Hint;
  } Buttons[] = {
      {"btnImportModFolder", "Import Mod Folder button", ""},
      {"btnModFolder", "...", "Select Mod Folder directory"},
      {"btnHowToGetServerURL",
       "How to find dedicated server URL, if not using web username and password", ""},
      {"btnShowWebPassword", "", "Show password"},
      {"btnShowGamePassword", "", "Show password"},
      {"btnImportSettings", "Import settings from FS", ""},
      {"btnOk", "Ok", ""},
      {"btnCancel", "Cancel", ""},
  };
  for (const auto& Button : Buttons) {
    EXPECT_EQ(Child<QAbstractButton>(Dialog, Button.Name).text(), L(Button.Text)) << Button.Name;
    EXPECT_EQ(Child<QAbstractButton>(Dialog, Button.Name).toolTip(), L(Button.Hint)) << Button.Name;
  }
  for (const char* Name :
       {"btnImportModFolder", "btnShowWebPassword", "btnShowGamePassword", "btnImportSettings"})
    EXPECT_FALSE(Child<QAbstractButton>(Dialog, Name).icon().pixmap(QSize(20, 20)).isNull())
        << Name;
  EXPECT_TRUE(Child<QPushButton>(Dialog, "btnOk").isDefault());
  EXPECT_EQ(Child<QCheckBox>(Dialog, "chkAutoUpdateFromDedicatedServer").text(),
            QStringLiteral("Automatically update mods from Farming Simulator dedicated server "
                           "(recommended)"));
  EXPECT_EQ(Child<QCheckBox>(Dialog, "chkRemoveModsNotOnServer").text(),
            QStringLiteral("Remove mods not found on Farming Simulator dedicated server "
                           "(recommended)"));
  EXPECT_TRUE(Child<QCheckBox>(Dialog, "chkAutoUpdateFromDedicatedServer").isChecked());
  EXPECT_TRUE(Child<QCheckBox>(Dialog, "chkRemoveModsNotOnServer").isChecked());
  for (const char* Name : {"edtWebPassword", "edtGamePassword"}) {
    QLineEdit& Box = Edit(Dialog, Name);
    EXPECT_EQ(Box.echoMode(), QLineEdit::Password) << Name;
    EXPECT_EQ(Box.style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &Box), '*')
        << Name;
  }
  for (const char* Name : {"Shape1", "Shape2"})
    EXPECT_EQ(Child<QFrame>(Dialog, Name).frameShape(), QFrame::HLine) << Name;
  const QString FeedHint = QStringLiteral(
      "The address of the server's stats feed (Settings > Dedicated server stats in its web "
      "interface, with its code). With it, Tilvane compares mod archives by their hash, as the "
      "game does.");
  EXPECT_EQ(Edit(Dialog, "edtStatsFeedURL").toolTip(), FeedHint);
  EXPECT_EQ(Child<QLabel>(Dialog, "lblStatsFeedURL").toolTip(), FeedHint);
  EXPECT_EQ(Child<QLabel>(Dialog, "lblStatsFeedURL").buddy(), &Edit(Dialog, "edtStatsFeedURL"));

  // Shown: a fixed size of at least the design's, the name box focused, and
  // Tab walks the boxes from top to bottom, then OK and Cancel.
  Dialog.show();
  Dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
  EXPECT_EQ(Dialog.minimumSize(), Dialog.maximumSize());
  EXPECT_GE(Dialog.width(), 966);
  EXPECT_GE(Dialog.height(), 459);
  QStringList Walk;
  for (int I = 0; I < 12; ++I) {
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    Walk << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(Walk, Strings({"edtName", "edtModFolder", "edtDedicatedServerUrl", "edtStatsFeedURL",
                           "edtWebUserName", "edtWebPassword", "chkAutoUpdateFromDedicatedServer",
                           "chkRemoveModsNotOnServer", "edtGameNameFilter", "edtGamePassword",
                           "btnOk", "btnCancel"}));
  EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("edtName"));

  Dialog.SetEditMode(true);
  EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Edit Mod Folder"));
  Dialog.SetEditMode(false);
  EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("New Mod Folder"));
}

TEST(NewModFolderLogicTest, FolderNamesReplaceWhatAFileNameMayNotHold) {
  const struct {
    QString Name;
    const char* Folder;
  } Cases[] = {
      {QString(), "Mod Folder"},
      {QStringLiteral("A/B:C"), "A_B_C"},
      {QStringLiteral("\"*/:<>?\\|"), "_________"},
      {QStringLiteral("tab\there") + QChar(0x01) + QChar(0x1f) + QChar(0x20), "tab_here__ "},
      {QStringLiteral("Farm. Ünd (2) #1 & co"), "Farm. Ünd (2) #1 & co"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(TNewModFolderLogic::FolderNameFor(Case.Name), L(Case.Folder)) << Case.Folder;
}

TEST_F(NewModFolderTest, TheDirectoryFollowsTheNameUntilTheUserChoosesOne) {
  const QString Base = Env.PathOf(QStringLiteral("Mods/FS22/"));
  {
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
    EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Mod Folder"));
  }
  QDir().mkpath(Base + QStringLiteral("Mod Folder"));
  QDir().mkpath(Base + QStringLiteral("Mod Folder 1"));
  QDir().mkpath(Base + QStringLiteral("A_B_C"));
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Mod Folder 2"));
  TypeName(Dialog, QStringLiteral("A/B:C"));
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("A_B_C 1"));
  TypeName(Dialog, QStringLiteral("Farm"));
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Farm"));
  Edit(Dialog, "edtName").clear();
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Mod Folder 2"));

  // One character typed into the directory box ends the proposals.
  QTest::keyClick(&Edit(Dialog, "edtModFolder"), Qt::Key_X);
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Mod Folder 2x"));
  TypeName(Dialog, QStringLiteral("Later"));
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Mod Folder 2x"));
  EXPECT_TRUE(Env.Prompts().History().empty());
}

TEST_F(NewModFolderTest, APickedFolderEndsTheProposalsAndAFullRangeLeavesTheBoxAlone) {
  const QString Base = Env.PathOf(QStringLiteral("Mods/FS25/"));
  QDir Root;
  Root.mkpath(Base + QStringLiteral("Full"));
  for (int I = 1; I <= 999; ++I)
    Root.mkdir(Base + QStringLiteral("Full ") + QString::number(I));
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
  TypeName(Dialog, QStringLiteral("Ful"));
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Ful"));
  QTest::keyClick(&Edit(Dialog, "edtName"), Qt::Key_L);
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Ful"));

  Env.Prompts().AnswerPath(QString()); // cancelled: nothing changes
  Click(Dialog, "btnModFolder");
  TypeName(Dialog, QStringLiteral("Two"));
  EXPECT_EQ(Dir(Dialog), Base + QStringLiteral("Two"));

  const QString Picked = Env.PathOf(QStringLiteral("Elsewhere"));
  Env.Prompts().AnswerPath(Picked);
  Click(Dialog, "btnModFolder");
  EXPECT_EQ(Dir(Dialog), Picked);
  TypeName(Dialog, QStringLiteral("Three"));
  EXPECT_EQ(Dir(Dialog), Picked);
  ASSERT_EQ(Env.Prompts().History().size(), 2u);
  for (const auto& Shown : Env.Prompts().History()) {
    EXPECT_EQ(Shown.What, ScriptedPromptService::Shown::Type::PickFolder);
    EXPECT_EQ(Shown.DialogOptions.InitialFolder, Env.PathOf(QStringLiteral("Mods")));
  }
}

TEST(NewModFolderLogicTest, ReservedDirectories) {
  const QString Documents = QStringLiteral("/home/jo/Documents");
  const QString Home = QStringLiteral("/home/jo");
  const struct {
    const char* Path;
    bool Reserved;
  } Cases[] = {
      {"C:\\", true},
      {"d:\\", true},
      {"C:\\Mods", false},
      {"C:", false},
      {"C:/", false},
      {"/", true},
      {"//", true},
      {"/home/jo/Documents", true},
      {"/home/jo/Documents/", true},
      {"/HOME/JO/documents", true},
      {"/home/jo/Documents/Mods", false},
      {"/home/jo", true},
      {"/home/jo/", true},
      {"/home/jo/./", true},
      {"/home/JO", false},
      {"/home/jo/Mods", false},
      {"/home", false},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(TNewModFolderLogic::IsReservedDirectory(L(Case.Path), Documents, Home), Case.Reserved)
        << Case.Path;
  // Without a home folder to guard (on Windows) only the documents folder and
  // the roots are refused.
  EXPECT_FALSE(TNewModFolderLogic::IsReservedDirectory(Home, Documents, QString()));
  EXPECT_TRUE(TNewModFolderLogic::IsReservedDirectory(Documents, Documents, QString()));
}

TEST_F(NewModFolderTest, ReservedDirectoriesAreRefusedByThePickerAndByOk) {
  const QString Refusal = QStringLiteral("Can not select a reserved directory for a mod folder.");
  // The tests' home folder is a temporary one of their own.
  const QString Cases[] = {
      Env.Documents(),  Env.Documents().toUpper() + QLatin1Char('/'), QStringLiteral("/"),
      QDir::homePath(), QDir::homePath() + QLatin1Char('/'),          QStringLiteral("C:\\")};
  for (const QString& Path : Cases) {
    SCOPED_TRACE(Path.toStdString());
    Env.Prompts().Clear();
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
    const QString Proposed = Dir(Dialog);
    Env.Prompts().AnswerPath(Path);
    Click(Dialog, "btnModFolder");
    EXPECT_EQ(Dir(Dialog), Proposed);
    EXPECT_EQ(Env.Prompts().Messages(), QStringList{Refusal});

    Env.Prompts().Clear();
    Edit(Dialog, "edtName").setText(QStringLiteral("Mine"));
    Edit(Dialog, "edtModFolder").setText(Path);
    Click(Dialog, "btnOk");
    EXPECT_FALSE(Accepted(Dialog));
    EXPECT_EQ(Env.Prompts().Messages(), QStringList{Refusal});
    EXPECT_TRUE(Env.Prompts().Questions().isEmpty());
  }
  EXPECT_FALSE(QFileInfo::exists(QStringLiteral("C:\\")));
  // A folder below the documents folder is fine.
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  Env.Prompts().Clear();
  Env.Prompts().AnswerPath(Env.Documents() + QStringLiteral("/Mods"));
  Click(Dialog, "btnModFolder");
  EXPECT_EQ(Dir(Dialog), Env.Documents() + QStringLiteral("/Mods"));
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

TEST_F(NewModFolderTest, OkWantsANameAndAcceptsAnEmptyDirectoryAtOnce) {
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  Edit(Dialog, "edtGamePassword").setFocus();
  Click(Dialog, "btnOk");
  EXPECT_FALSE(Accepted(Dialog));
  EXPECT_EQ(Env.Prompts().Messages(), QStringList{QStringLiteral("Name can not be blank.")});
  EXPECT_EQ(Dialog.focusWidget(), &Edit(Dialog, "edtName"));

  Env.Prompts().Clear();
  Edit(Dialog, "edtName").setText(QStringLiteral(" "));
  Edit(Dialog, "edtModFolder").clear();
  Click(Dialog, "btnOk");
  EXPECT_TRUE(Accepted(Dialog));
  EXPECT_TRUE(Env.Prompts().History().empty());
}

TEST_F(NewModFolderTest, OkCreatesAMissingDirectoryOrAsks) {
  const QString Missing = Env.PathOf(QStringLiteral("new/deep/folder"));
  const QString Question = QStringLiteral("Mod folder ") + Missing +
                           QStringLiteral(" does not exists.  Do you want to create it?");
  TTestServer Server;
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  TModFolder Folder;
  Folder.Name = QStringLiteral("Server");
  Folder.Folder = Missing;
  Folder.DedicatedServerURL = Server.PageURL();

  // A new button that follows a server: its folder is made without a word.
  {
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
    Edit(Dialog, "edtName").setText(Folder.Name);
    Edit(Dialog, "edtModFolder").setText(Missing);
    Edit(Dialog, "edtDedicatedServerUrl").setText(Folder.DedicatedServerURL);
    Click(Dialog, "btnOk");
    EXPECT_TRUE(Accepted(Dialog));
    EXPECT_TRUE(QFileInfo(Missing).isDir());
    EXPECT_TRUE(Env.Prompts().History().empty());
    EXPECT_EQ(Server.Requests("/mods.html"), 1);
  }

  // An edited one asks; No leaves the dialog open and the folder missing,
  // and the server is checked again on every OK.
  QDir(Env.PathOf(QStringLiteral("new"))).removeRecursively();
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
  Dialog.LoadFromTModFolder(Folder);
  Env.Prompts().AnswerNo();
  Click(Dialog, "btnOk");
  EXPECT_FALSE(Accepted(Dialog));
  EXPECT_FALSE(QFileInfo::exists(Missing));
  EXPECT_EQ(Env.Prompts().Questions(), QStringList{Question});
  EXPECT_TRUE(Env.Prompts().History().back().YesIsDefault);
  EXPECT_EQ(Server.Requests("/mods.html"), 2);

  // A server of another generation: told, the URL box focused, nothing asked.
  Env.Prompts().Clear();
  Server.SetPage(MakeModPage(TPageLayout::Grid92, {{QStringLiteral("A.zip")}}));
  Click(Dialog, "btnOk");
  EXPECT_FALSE(Accepted(Dialog));
  EXPECT_EQ(
      Env.Prompts().Messages(),
      QStringList{QStringLiteral("The Server URL is not a Farming Simulator 25 dedicated "
                                 "server.\r\nIt was detected to be a Farming Simulator 22.")});
  EXPECT_TRUE(Env.Prompts().Questions().isEmpty());
  EXPECT_EQ(Dialog.focusWidget(), &Edit(Dialog, "edtDedicatedServerUrl"));
  EXPECT_EQ(Server.Requests("/mods.html"), 3);

  Env.Prompts().Clear();
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  Edit(Dialog, "edtName").setText(QStringLiteral("Renamed"));
  Env.Prompts().AnswerYes();
  Click(Dialog, "btnOk");
  EXPECT_TRUE(Accepted(Dialog));
  EXPECT_TRUE(QFileInfo(Missing).isDir());
  EXPECT_EQ(Env.Prompts().Questions(), QStringList{Question});
  EXPECT_EQ(Server.Requests("/mods.html"), 4);
  EXPECT_TRUE(Reported.empty());
}

// OK checks the server through the program's wait: against a server that
// never answers the player sees the wait and may cancel it; the dialog stays
// open with the URL box focused and nothing is told or created.
TEST_F(NewModFolderTest, OkAgainstASilentServerCanBeCancelled) {
  MisbehavingServer Silent(MisbehavingServer::Kind::Silent);
  TQtWaitService Wait;
  DataModule.SetWaitService(&Wait);
  const QString Missing = Env.PathOf(QStringLiteral("new/folder"));
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
  Dialog.show();
  Edit(Dialog, "edtName").setText(QStringLiteral("Server"));
  Edit(Dialog, "edtModFolder").setText(Missing);
  Edit(Dialog, "edtDedicatedServerUrl").setText(Silent.Url());

  QElapsedTimer Clock;
  qint64 CancelledAt = -1;
  QString Text;
  QTimer Poll;
  QObject::connect(&Poll, &QTimer::timeout, [&] {
    for (QWidget* Widget : QApplication::topLevelWidgets()) {
      auto* Waiting = qobject_cast<TfmWaiting*>(Widget);
      if (!Waiting || !Waiting->isVisible() || CancelledAt >= 0)
        continue;
      Text = Child<QLabel>(*Waiting, "lblWaitingFor").text();
      CancelledAt = Clock.elapsed();
      Child<QPushButton>(*Waiting, "btnCancel").click();
    }
  });
  Poll.start(20);
  Clock.start();
  Click(Dialog, "btnOk");
  const qint64 ReturnedAt = Clock.elapsed();
  DataModule.SetWaitService(nullptr);

  ASSERT_GE(CancelledAt, 0) << "no waiting dialog";
  EXPECT_EQ(Text, QStringLiteral("Checking the server\u2026"));
  EXPECT_LE(ReturnedAt - CancelledAt, 250);
  EXPECT_FALSE(Accepted(Dialog));
  EXPECT_TRUE(Dialog.isVisible());
  EXPECT_EQ(Dialog.focusWidget(), &Edit(Dialog, "edtDedicatedServerUrl"));
  EXPECT_TRUE(Env.Prompts().History().empty());
  EXPECT_FALSE(QFileInfo::exists(Missing));
  EXPECT_EQ(Silent.Accepted(), 1);
  EXPECT_TRUE(Reported.empty());
}

// The game's own mods folder cannot follow a server: a sync would clean and
// fill a folder that is not there. Refused before the server is asked, new
// or edited; a directory makes the same values acceptable.
TEST_F(NewModFolderTest, OkRefusesAServerWithoutAFolderOfItsOwn) {
  for (const bool EditMode : {false, true}) {
    SCOPED_TRACE(EditMode);
    TTestServer Server;
    Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
    Env.Prompts().Clear();
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
    TModFolder Folder;
    Folder.Name = QStringLiteral("Server");
    Folder.DedicatedServerURL = Server.PageURL();
    if (EditMode) {
      Dialog.LoadFromTModFolder(Folder);
    } else {
      Edit(Dialog, "edtName").setText(Folder.Name);
      Edit(Dialog, "edtDedicatedServerUrl").setText(Folder.DedicatedServerURL);
    }
    Edit(Dialog, "edtModFolder").clear();
    Click(Dialog, "btnOk");
    EXPECT_FALSE(Accepted(Dialog));
    EXPECT_EQ(Env.Prompts().Messages(),
              QStringList{QStringLiteral(
                  "A mod folder that follows a dedicated server needs its own folder.")});
    EXPECT_EQ(Server.Requests("/mods.html"), 0);

    Env.Prompts().Clear();
    Edit(Dialog, "edtModFolder").setText(Env.PathOf(QStringLiteral("Own")));
    Env.Prompts().AnswerYes();
    Click(Dialog, "btnOk");
    EXPECT_TRUE(Accepted(Dialog));
    EXPECT_TRUE(QFileInfo(Env.PathOf(QStringLiteral("Own"))).isDir());
    QDir(Env.PathOf(QStringLiteral("Own"))).removeRecursively();
  }
  EXPECT_TRUE(Reported.empty());
}

TEST_F(NewModFolderTest, OkChecksTheStatsFeedURLsFormWithoutFetchingIt) {
  const QString Refusal = QStringLiteral("The stats feed URL must be the address of the server's "
                                         "dedicated-server-stats.xml, with its code.");
  TTestServer Server;
  Server.SetPage(MakeModPage(TPageLayout::Grid100, {{QStringLiteral("A.zip")}}));
  // On a path the test server records, so that a fetch would show.
  const QString Feed = Server.BaseURL() + QStringLiteral("mods/dedicated-server-stats.xml");
  const struct {
    QString Typed;
    bool Accepted;
  } Cases[] = {
      {QString(), true},
      {QStringLiteral("   "), true},
      {Feed + QStringLiteral("?code=5f3a"), true},
      {QStringLiteral("  ") + Feed + QStringLiteral("?code=5f3a\n"), true},
      {QStringLiteral("https://fs.example.net/feed/dedicated-server-stats.xml?code=x"), true},
      {Server.PageURL(), false},
      {QStringLiteral("ftp://192.0.2.17/feed/dedicated-server-stats.xml?code=x"), false},
      {QStringLiteral("192.0.2.17:8380/feed/dedicated-server-stats.xml?code=x"), false},
      {QStringLiteral("http:///feed/dedicated-server-stats.xml"), false},
      {QStringLiteral("http://192.0.2.17:8380/feed/dedicated-server-stats.xml.bak"), false},
      {QStringLiteral("http://192.0.2.17:8380/?file=dedicated-server-stats.xml"), false},
      {QStringLiteral("http://192.0.2.17:8380/feed/DEDICATED-SERVER-STATS.XML"), false},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Typed.toStdString());
    Env.Prompts().Clear();
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
    Edit(Dialog, "edtName").setText(QStringLiteral("Server"));
    // A server folder needs a folder of its own; made here so that no
    // question about creating it comes in between.
    QDir().mkpath(Env.PathOf(QStringLiteral("Own")));
    Edit(Dialog, "edtModFolder").setText(Env.PathOf(QStringLiteral("Own")));
    Edit(Dialog, "edtDedicatedServerUrl").setText(Server.PageURL());
    Edit(Dialog, "edtStatsFeedURL").setText(Case.Typed);
    Click(Dialog, "btnOk");
    EXPECT_EQ(Accepted(Dialog), Case.Accepted);
    EXPECT_EQ(Env.Prompts().Messages(), Case.Accepted ? QStringList() : QStringList{Refusal});
    if (!Case.Accepted) {
      EXPECT_EQ(Dialog.focusWidget(), &Edit(Dialog, "edtStatsFeedURL"));
    }
    TModFolder Saved;
    Dialog.SaveToTModFolder(Saved);
    EXPECT_EQ(Saved.StatsFeedURL, Case.Typed.trimmed());
  }
  EXPECT_EQ(Server.Requests("/mods/"), 0);
  EXPECT_TRUE(Reported.empty());

  // A feed without a server page is the user's choice: only its form counts.
  Env.Prompts().Clear();
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
  Edit(Dialog, "edtName").setText(QStringLiteral("Feed only"));
  Edit(Dialog, "edtModFolder").clear();
  Edit(Dialog, "edtStatsFeedURL").setText(QStringLiteral("mods.html"));
  Click(Dialog, "btnOk");
  EXPECT_FALSE(Accepted(Dialog));
  EXPECT_EQ(Env.Prompts().Messages(), QStringList{Refusal});
}

TEST_F(NewModFolderTest, LoadAndSaveCarryEveryField) {
  const struct {
    bool AutoUpdate;
    bool Remove;
  } Cases[] = {{false, true}, {true, false}, {false, false}};
  for (const auto& Case : Cases) {
    TModFolder Folder;
    Folder.Name = QStringLiteral(" Green Acres ");
    Folder.Folder = Env.PathOf(QStringLiteral("Green"));
    Folder.DedicatedServerURL = QStringLiteral("http://192.0.2.17:8380/mods.html ");
    Folder.StatsFeedURL =
        QStringLiteral("http://192.0.2.17:8380/feed/dedicated-server-stats.xml?code=5f3a");
    Folder.WebUsername = QStringLiteral("admin");
    Folder.WebPassword = QStringLiteral(" w3b");
    Folder.AutoUpdateFromDedicatedServer = Case.AutoUpdate;
    Folder.RemoveModsNotOnServer = Case.Remove;
    Folder.GameNameFilter = QStringLiteral("Green");
    Folder.GamePassword = QStringLiteral("join me");
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv19, DataModule);
    Dialog.LoadFromTModFolder(Folder);
    EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Edit Mod Folder"));
    TModFolder Saved;
    Dialog.SaveToTModFolder(Saved);
    EXPECT_EQ(Saved.Name, QStringLiteral(" Green Acres "));
    EXPECT_EQ(Saved.Folder, Env.PathOf(QStringLiteral("Green")));
    EXPECT_EQ(Saved.DedicatedServerURL, QStringLiteral("http://192.0.2.17:8380/mods.html "));
    EXPECT_EQ(Saved.StatsFeedURL,
              QStringLiteral("http://192.0.2.17:8380/feed/dedicated-server-stats.xml?code=5f3a"));
    EXPECT_EQ(Saved.WebUsername, QStringLiteral("admin"));
    EXPECT_EQ(Saved.WebPassword, QStringLiteral(" w3b"));
    EXPECT_EQ(Saved.AutoUpdateFromDedicatedServer, Case.AutoUpdate);
    EXPECT_EQ(Saved.RemoveModsNotOnServer, Case.Remove);
    EXPECT_EQ(Saved.GameNameFilter, QStringLiteral("Green"));
    EXPECT_EQ(Saved.GamePassword, QStringLiteral("join me"));
    // An edited button keeps its directory when renamed.
    Edit(Dialog, "edtName").setText(QStringLiteral("Other"));
    EXPECT_EQ(Dir(Dialog), Env.PathOf(QStringLiteral("Green")));
  }
}

TEST_F(NewModFolderTest, PasswordButtonsShowAndHideTheirOwnBox) {
  const struct {
    const char* Button;
    const char* Box;
    const char* Other;
  } Cases[] = {{"btnShowWebPassword", "edtWebPassword", "edtGamePassword"},
               {"btnShowGamePassword", "edtGamePassword", "edtWebPassword"}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Button);
    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
    auto& Button = Child<QToolButton>(Dialog, Case.Button);
    Button.click();
    EXPECT_EQ(Edit(Dialog, Case.Box).echoMode(), QLineEdit::Normal);
    EXPECT_EQ(Button.toolTip(), QStringLiteral("Hide password"));
    EXPECT_EQ(Edit(Dialog, Case.Other).echoMode(), QLineEdit::Password);
    Button.click();
    EXPECT_EQ(Edit(Dialog, Case.Box).echoMode(), QLineEdit::Password);
    EXPECT_EQ(Button.toolTip(), QStringLiteral("Show password"));
  }
}

TEST_F(NewModFolderTest, ImportSettingsFromTheGame) {
  WriteFile(Env.Documents() + QStringLiteral("/My Games/FarmingSimulator2022/gameSettings.xml"),
            "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
            "<gameSettings revision=\"15\">\n"
            "    <modsDirectoryOverride active=\"true\" directory=\"D:/Games/FS22 mods\"/>\n"
            "    <joinGame onlyWithAllModsAvailable=\"false\" serverName=\"Green\" "
            "password=\"join me\"/>\n"
            "</gameSettings>\n");
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  Click(Dialog, "btnImportSettings");
  EXPECT_EQ(Dir(Dialog), QStringLiteral("D:/Games/FS22 mods"));
  EXPECT_EQ(Edit(Dialog, "edtGameNameFilter").text(), QStringLiteral("Green"));
  EXPECT_EQ(Edit(Dialog, "edtGamePassword").text(), QStringLiteral("join me"));
  // The proposals go on: a later name replaces the game's directory.
  TypeName(Dialog, QStringLiteral("Green"));
  EXPECT_EQ(Dir(Dialog), Env.PathOf(QStringLiteral("Mods/FS22/Green")));
}

TEST_F(NewModFolderTest, HowToFindTheServerURLOpensTheInstructionsModally) {
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  // Looked at while it is open: it is gone once the click returns.
  bool Instructions = false;
  bool OwnedByDialog = false;
  QTimer::singleShot(0, &Dialog, [&] {
    QWidget* Shown = QApplication::activeModalWidget();
    Instructions = qobject_cast<TfmServerURLInstruction*>(Shown) != nullptr;
    OwnedByDialog = Shown && Shown->parentWidget() == &Dialog;
    if (Shown)
      Shown->close();
  });
  Click(Dialog, "btnHowToGetServerURL");
  EXPECT_TRUE(Instructions);
  EXPECT_TRUE(OwnedByDialog);
}

// A button file written by hand, as a player may get one.
void WriteButtonFile(const QString& AFileName, const char* AFSVersionLine) {
  WriteFile(AFileName, QByteArray("[Button]\r\n") + AFSVersionLine +
                           "Name=Green/Acres\r\n"
                           "DedicatedServerURL=http://192.0.2.17:8380/mods.html\r\n"
                           "StatsFeedURL=http://192.0.2.17:8380/feed/"
                           "dedicated-server-stats.xml?code=5f3a\r\n"
                           "AutoUpdateFromDedicatedServer=0\r\n"
                           "GameNameFilter=Green\r\n"
                           "ServerPassword=join me\r\n");
}

TEST_F(NewModFolderTest, AButtonFileOfAnotherGenerationChangesNothing) {
  const QString File = Env.PathOf(QStringLiteral("Green.mfb"));
  const struct {
    const char* FSVersionLine;
    TFSVersion Dialog;
    const char* Warning;
  } Cases[] = {
      {"FSVersion=25\r\n", TFSVersion::fsv22,
       "Unable to import this Mod Folder Button file for FS25.\r\n"
       "Expecting the Mod Folder Button file to be for FS22."},
      {"", TFSVersion::fsv25,
       "Unable to import this Mod Folder Button file for FS22.\r\n"
       "Expecting the Mod Folder Button file to be for FS25."},
      {"", TFSVersion::fsv19,
       "Unable to import this Mod Folder Button file for FS22.\r\n"
       "Expecting the Mod Folder Button file to be for FS19."},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Warning);
    Env.Prompts().Clear();
    WriteButtonFile(File, Case.FSVersionLine);
    TfmNewModFolder Dialog(nullptr, Case.Dialog, DataModule);
    Edit(Dialog, "edtName").setText(QStringLiteral("Mine"));
    const QStringList Before = Fields(Dialog);
    Env.Prompts().AnswerPath(File);
    Click(Dialog, "btnImportModFolder");
    EXPECT_EQ(Fields(Dialog), Before);
    ASSERT_EQ(Env.Prompts().History().size(), 2u);
    EXPECT_EQ(Env.Prompts().History()[1].Kind, TMessageKind::Warning);
    EXPECT_EQ(Env.Prompts().Messages(), QStringList{L(Case.Warning)});
  }
}

TEST_F(NewModFolderTest, AButtonFileFillsTheDialogAndTheNameProposesTheDirectory) {
  const QString File = Env.PathOf(QStringLiteral("Green.mfb"));
  WriteButtonFile(File, ""); // no generation: an FS22 file
  TfmNewModFolder Dialog(nullptr, TFSVersion::fsv22, DataModule);
  Edit(Dialog, "edtWebUserName").setText(QStringLiteral("mine"));
  Env.Prompts().AnswerPath(QString()); // cancelled: nothing changes
  Click(Dialog, "btnImportModFolder");
  EXPECT_EQ(Edit(Dialog, "edtName").text(), QString());
  Env.Prompts().AnswerPath(File);
  Click(Dialog, "btnImportModFolder");
  EXPECT_EQ(Fields(Dialog),
            (QStringList{L("Green/Acres"), Env.PathOf(QStringLiteral("Mods/FS22/Green_Acres")),
                         L("http://192.0.2.17:8380/mods.html"),
                         L("http://192.0.2.17:8380/feed/dedicated-server-stats.xml?code=5f3a"),
                         L("mine"), QString(), L("-"), L("remove"), L("Green"), L("join me")}));
  ASSERT_EQ(Env.Prompts().History().size(), 2u);
  const TFileDialogOptions& Options = Env.Prompts().History()[0].DialogOptions;
  EXPECT_EQ(Env.Prompts().History()[0].What, ScriptedPromptService::Shown::Type::OpenFile);
  ASSERT_EQ(Options.FileTypes.size(), 1);
  EXPECT_EQ(Options.FileTypes[0].Name, QStringLiteral("Mod Folder Button"));
  EXPECT_EQ(Options.FileTypes[0].Mask, QStringLiteral("*.mfb"));
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

class ExportModFolderButtonTest : public NewModFolderTest {
protected:
  ExportModFolderButtonTest() {
    Folder.Name = QStringLiteral("Green Acres");
    Folder.Folder = Env.PathOf(QStringLiteral("Green"));
    Folder.DedicatedServerURL = QStringLiteral("http://192.0.2.17:8380/mods.html");
    Folder.StatsFeedURL = QStringLiteral("https://fs.example.net/feed/dedicated-server-stats.xml"
                                         "?code=5f3a");
    Folder.WebUsername = QStringLiteral("admin");
    Folder.WebPassword = QStringLiteral("w3b");
    Folder.GameNameFilter = QStringLiteral("Green");
    Folder.GamePassword = QStringLiteral("join me");
  }
  const QString WebQuestion =
      QStringLiteral("Do you want to add your web username and password to this mod button?");
  TModFolder Folder;
};

TEST_F(ExportModFolderButtonTest, TheWebLoginTravelsOnlyWhenTheOwnerSaysSo) {
  const struct {
    const char* Name;
    QString WebUsername;
    int Answer; // -1: no question expected; 0 No; 1 Yes
    bool WebKeys;
  } Cases[] = {
      {"No", QStringLiteral("admin"), 0, false},
      {"Yes", QStringLiteral("admin"), 1, true},
      {"no web username", QString(), -1, false},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Env.Prompts().Clear();
    const QString Chosen = Env.PathOf(QLatin1String(Case.Name) + QStringLiteral(".txt"));
    const QString Written = Env.PathOf(QLatin1String(Case.Name) + QStringLiteral(".mfb"));
    Folder.WebUsername = Case.WebUsername;
    if (Case.Answer == 1)
      Env.Prompts().AnswerYes();
    if (Case.Answer == 0)
      Env.Prompts().AnswerNo();
    Env.Prompts().AnswerPath(Chosen);
    ExportModFolderButton(DataModule, TFSVersion::fsv22, Folder);
    EXPECT_EQ(Env.Prompts().Questions(),
              Case.Answer < 0 ? QStringList() : QStringList{WebQuestion});
    EXPECT_FALSE(QFileInfo::exists(Chosen));
    const TIniFile Ini(Written, Env.Platform());
    EXPECT_EQ(Ini.ReadString(QStringLiteral("Button"), QStringLiteral("Name"), QString()),
              QStringLiteral("Green Acres"));
    EXPECT_EQ(Ini.ValueExists(QStringLiteral("Button"), QStringLiteral("WebUserName")),
              Case.WebKeys);
    EXPECT_EQ(Ini.ValueExists(QStringLiteral("Button"), QStringLiteral("WebPassword")),
              Case.WebKeys);
    const TFileDialogOptions& Options = Env.Prompts().History().back().DialogOptions;
    EXPECT_EQ(Env.Prompts().History().back().What, ScriptedPromptService::Shown::Type::SaveFile);
    EXPECT_EQ(Options.InitialFolder, Env.PathOf(QStringLiteral("Mods")));
    EXPECT_FALSE(Options.OverwritePrompt);
    ASSERT_EQ(Options.FileTypes.size(), 1);
    EXPECT_EQ(Options.FileTypes[0].Name, QStringLiteral("Mod Folder Button"));
    EXPECT_EQ(Options.FileTypes[0].Mask, QStringLiteral("*.mfb"));
  }
  // Cancelling the save dialog writes nothing.
  Env.Prompts().AnswerNo();
  Env.Prompts().AnswerPath(QString());
  Folder.WebUsername = QStringLiteral("admin");
  const QStringList Before = QDir(Env.Root()).entryList(QDir::Files);
  ExportModFolderButton(DataModule, TFSVersion::fsv22, Folder);
  EXPECT_EQ(QDir(Env.Root()).entryList(QDir::Files), Before);
}

TEST_F(ExportModFolderButtonTest, AnExportedButtonImportsWithItsOptions) {
  const struct {
    bool AutoUpdate;
    bool Remove;
    const char* AutoUpdateField;
    const char* RemoveField;
  } Cases[] = {{true, false, "auto", "-"}, {false, false, "-", "-"}, {false, true, "-", "remove"}};
  const QString File = Env.PathOf(QStringLiteral("Green Acres.mfb"));
  for (const auto& Case : Cases) {
    SCOPED_TRACE(testing::Message() << Case.AutoUpdateField << " " << Case.RemoveField);
    Folder.AutoUpdateFromDedicatedServer = Case.AutoUpdate;
    Folder.RemoveModsNotOnServer = Case.Remove;
    Env.Prompts().AnswerYes();
    Env.Prompts().AnswerPath(File);
    ExportModFolderButton(DataModule, TFSVersion::fsv25, Folder);

    TfmNewModFolder Dialog(nullptr, TFSVersion::fsv25, DataModule);
    Env.Prompts().AnswerPath(File);
    Click(Dialog, "btnImportModFolder");
    EXPECT_EQ(Fields(Dialog),
              (QStringList{L("Green Acres"), Env.PathOf(QStringLiteral("Mods/FS25/Green Acres")),
                           L("http://192.0.2.17:8380/mods.html"),
                           L("https://fs.example.net/feed/dedicated-server-stats.xml?code=5f3a"),
                           L("admin"), L("w3b"), L(Case.AutoUpdateField), L(Case.RemoveField),
                           L("Green"), L("join me")}));
  }
}

} // namespace
} // namespace tilvane::test
