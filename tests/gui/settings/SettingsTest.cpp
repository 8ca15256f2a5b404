// The settings dialog, driven by its controls' names on the fake platform.
#include "support/GameSandbox.h"

#include "gui/common/Themes.h"
#include "gui/settings/SettingsFM.h"

#include "ModArchives.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>

namespace tilvane::test {
namespace {

constexpr TFSVersion FS19 = TFSVersion::fsv19;
constexpr TFSVersion FS22 = TFSVersion::fsv22;
constexpr TFSVersion FS25 = TFSVersion::fsv25;

class SettingsTest : public ::testing::Test {
protected:
  void TearDown() override { TThemes::Apply(QStringLiteral("Windows")); }

  // Shown and active, so that keys and focus go where the user's would.
  static std::unique_ptr<TfmSettings> Open(TGameSandbox& ASandbox) {
    auto Dialog = std::make_unique<TfmSettings>(nullptr, ASandbox.DataModule);
    Dialog->show();
    Dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    return Dialog;
  }

  static QString Text(const QWidget& ADialog, const char* ABox) {
    return Child<QLineEdit>(ADialog, ABox).text();
  }
  static void Click(const QWidget& ADialog, const char* AButton) {
    Child<QPushButton>(ADialog, AButton).click();
  }
  static QString FocusName() {
    const QWidget* Focus = QApplication::focusWidget();
    return Focus ? Focus->objectName() : QStringLiteral("(none)");
  }
};

TEST_F(SettingsTest, OpensWithTheStoredValuesAndTheNameOfTheFirstGameWithALocation) {
  const struct {
    const char* Name;
    std::vector<TFSVersion> Installed;
    std::vector<TFSVersion> ExecutableGone;
    bool Location19, Location22, Location25;
    const char* InGameName;
    bool Console;
  } Cases[] = {
      {"all three", {FS19, FS22, FS25}, {}, true, true, true, "Batek", true},
      {"FS22 and FS25", {FS22, FS25}, {}, false, true, true, "jono", false},
      {"only FS25", {FS25}, {}, false, false, true, "Farmer25", true},
      {"FS22's executable gone", {FS22, FS25}, {FS22}, false, false, true, "Farmer25", true},
      {"none", {}, {}, false, false, false, "", false},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TGameSandbox S;
    for (const TFSVersion FSVersion : Case.Installed)
      S.Install(FSVersion);
    for (const TFSVersion FSVersion : Case.ExecutableGone)
      S.RemoveExecutable(FSVersion);
    S.DataModule.SetModManagerModFolders(S.Env.PathOf(QStringLiteral("mods")));

    TfmSettings Dialog(nullptr, S.DataModule);
    EXPECT_EQ(Text(Dialog, "edtFS19Location"),
              Case.Location19 ? S.Games.Executable(FS19) : QString());
    EXPECT_EQ(Text(Dialog, "edtFS22Location"),
              Case.Location22 ? S.Games.Executable(FS22) : QString());
    EXPECT_EQ(Text(Dialog, "edtFS25Location"),
              Case.Location25 ? S.Games.Executable(FS25) : QString());
    EXPECT_EQ(Text(Dialog, "edtModFolders"), S.Env.PathOf(QStringLiteral("mods")));
    EXPECT_EQ(Text(Dialog, "edtInGameName"), QString::fromUtf8(Case.InGameName));
    EXPECT_EQ(Child<QCheckBox>(Dialog, "chkEnableDevConsole").isChecked(), Case.Console);
    // Opening shows no box.
    EXPECT_TRUE(S.Env.Prompts().History().empty());
    EXPECT_TRUE(S.Reported.empty());
  }
}

TEST_F(SettingsTest, GamesUnderProtonAreNamedWithTheirPrefixes) {
  TGameSandbox S;
  S.Install(FS19);
  S.Install(FS22);
  S.Install(FS25);
  {
    TfmSettings Dialog(nullptr, S.DataModule);
    EXPECT_TRUE(Child<QLabel>(Dialog, "lblProton").isHidden());
  }
  const QString Prefix22 = S.RunUnderProton(FS22);
  const QString Prefix25 = S.RunUnderProton(FS25);
  TfmSettings Dialog(nullptr, S.DataModule);
  const auto& Note = Child<QLabel>(Dialog, "lblProton");
  EXPECT_FALSE(Note.isHidden());
  EXPECT_EQ(Note.text(), QStringLiteral("FS22 runs under Proton, prefix ") + Prefix22 +
                             QStringLiteral("\nFS25 runs under Proton, prefix ") + Prefix25);
}

TEST_F(SettingsTest, TheWindowOffersEveryThemeWithTheActiveOneSelected) {
  TGameSandbox S;
  ASSERT_TRUE(TThemes::Apply(QStringLiteral("Obsidian")));
  TfmSettings Dialog(nullptr, S.DataModule);
  EXPECT_EQ(Dialog.objectName(), QStringLiteral("fmSettings"));
  EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Settings"));
  EXPECT_EQ(Child<QLabel>(Dialog, "pnlApplicationSettings").text(),
            QStringLiteral("Application settings"));
  EXPECT_EQ(Child<QLabel>(Dialog, "pnlFarmingSimulatorSettings").text(),
            QStringLiteral("Farming Simulator settings"));
  EXPECT_EQ(Child<QLineEdit>(Dialog, "edtFS22Location").placeholderText(),
            QStringLiteral("FarmingSimulator2022.exe"));
  EXPECT_EQ(Child<QPushButton>(Dialog, "btnFS22Location").toolTip(),
            QStringLiteral("Select location of FarmingSimulator2022.exe"));
  EXPECT_EQ(Child<QPushButton>(Dialog, "btnFS25Location").toolTip(),
            QStringLiteral("Select location of FarmingSimulator2025.exe"));
  for (const char* Box : {"edtFS19Location", "edtFS22Location", "edtFS25Location", "edtModFolders"})
    EXPECT_TRUE(Child<QLineEdit>(Dialog, Box).isReadOnly()) << Box;

  const QComboBox& Themes = Child<QComboBox>(Dialog, "cmbTheme");
  QStringList Names;
  for (int I = 0; I < Themes.count(); ++I)
    Names.append(Themes.itemText(I));
  EXPECT_EQ(Names, QStringList({L("Amethyst Kamri"), L("Aqua Light Slate"), L("Cyan Dusk"),
                                L("Emerald Light Slate"), L("Glow"), L("Iceberg Classico"),
                                L("Lavender Classico"), L("Luna"), L("Obsidian"), L("Onyx Blue"),
                                L("Sapphire Kamri"), L("Slate Classico"), L("Smokey Quartz Kamri"),
                                L("Windows")}));
  EXPECT_EQ(Themes.currentText(), QStringLiteral("Obsidian"));
  // Showing the active theme is no preview: nothing was applied again.
  EXPECT_EQ(TThemes::ActiveName(), QStringLiteral("Obsidian"));
}

TEST_F(SettingsTest, OkRefusesWithAMessageAndTheBoxToPutRight) {
  const struct {
    const char* Name;
    std::vector<TFSVersion> Installed;
    std::vector<TFSVersion> GoneAfterOpening;
    bool ClearName;
    const char* Message;
    const char* Focus;
  } Cases[] = {
      {"blank name", {FS22}, {}, true, "In game name can not be blank.", "edtInGameName"},
      {"blank name before a missing file",
       {FS22},
       {FS22},
       true,
       "In game name can not be blank.",
       "edtInGameName"},
      {"FS22 gone",
       {FS22},
       {FS22},
       false,
       "Enter the location of FarmingSimulator2022.exe",
       "edtFS22Location"},
      {"FS19 before FS25",
       {FS19, FS25},
       {FS19, FS25},
       false,
       "Enter the location of FarmingSimulator2019.exe",
       "edtFS19Location"},
      {"FS25 gone",
       {FS19, FS25},
       {FS25},
       false,
       "Enter the location of FarmingSimulator2025.exe",
       "edtFS25Location"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TGameSandbox S;
    for (const TFSVersion FSVersion : Case.Installed)
      S.Install(FSVersion);
    std::unique_ptr<TfmSettings> Dialog = Open(S);
    for (const TFSVersion FSVersion : Case.GoneAfterOpening)
      S.RemoveExecutable(FSVersion);
    if (Case.ClearName)
      Child<QLineEdit>(*Dialog, "edtInGameName").clear();
    Child<QComboBox>(*Dialog, "cmbTheme").setCurrentText(QStringLiteral("Glow"));
    Child<QPushButton>(*Dialog, "btnOk").setFocus();
    const QMap<QString, QByteArray> Before = S.Files();

    Click(*Dialog, "btnOk");
    EXPECT_EQ(S.Env.Prompts().Messages(), QStringList({QString::fromUtf8(Case.Message)}));
    EXPECT_EQ(FocusName(), QLatin1String(Case.Focus));
    EXPECT_TRUE(Dialog->isVisible());
    EXPECT_TRUE(S.Files() == Before);
    EXPECT_TRUE(S.Reported.empty());
  }
}

TEST_F(SettingsTest, OkStoresEveryValueAndWritesTheNameAndConsoleToAllThreeGames) {
  TGameSandbox S;
  for (const TFSVersion FSVersion : {FS19, FS22, FS25})
    S.Install(FSVersion);
  // A location whose file is gone opens empty and is stored empty; the game's
  // own files still get the name and console.
  S.RemoveExecutable(FS25);
  const QString OtherFS22 = S.Env.PathOf(QStringLiteral("other/FarmingSimulator2022.exe"));
  WriteFile(OtherFS22, "MZ");
  const QString Mods = S.Env.PathOf(QStringLiteral("my mods"));
  std::unique_ptr<TfmSettings> Dialog = Open(S);
  ASSERT_EQ(Text(*Dialog, "edtFS25Location"), QString());

  S.Env.Prompts().AnswerPath(OtherFS22);
  Click(*Dialog, "btnFS22Location");
  S.Env.Prompts().AnswerPath(Mods);
  Click(*Dialog, "btnModFolders");
  Child<QLineEdit>(*Dialog, "edtInGameName").setText(QStringLiteral("Joe & Co"));
  Child<QCheckBox>(*Dialog, "chkEnableDevConsole").setChecked(true);
  Child<QComboBox>(*Dialog, "cmbTheme").setCurrentText(QStringLiteral("Glow"));
  EXPECT_EQ(TThemes::ActiveName(), QStringLiteral("Glow"));
  Click(*Dialog, "btnOk");

  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(S.Env.Prompts().Messages().isEmpty());
  EXPECT_TRUE(S.Reported.empty());
  EXPECT_EQ(S.StoredLocation(FS19), S.Games.Executable(FS19));
  EXPECT_EQ(S.StoredLocation(FS22), OtherFS22);
  EXPECT_EQ(S.StoredLocation(FS25), QString());
  EXPECT_EQ(S.DataModule.GetFSProgramLocation(FS25), QString());
  EXPECT_EQ(S.DataModule.GetModManagerModFolders(), Mods);
  EXPECT_EQ(S.DataModule.GetTheme(), QStringLiteral("Glow"));
  EXPECT_EQ(ReadFile(S.Games.GameSettings(FS19)),
            TGameFolders::GameSettingsContent(FS19, "Joe &amp; Co"));
  for (const TFSVersion FSVersion : {FS22, FS25})
    EXPECT_EQ(ReadFile(S.Games.GameSettings(FSVersion)),
              TGameFolders::GameSettingsContent(FSVersion, "Joe &amp; Co"));
  for (const TFSVersion FSVersion : {FS19, FS22, FS25})
    EXPECT_EQ(ReadFile(S.Games.GameXml(FSVersion)), TGameFolders::GameXmlContent(true));
}

TEST_F(SettingsTest, AnErrorWhileStoringEndsOkAndKeepsWhatWasStoredBeforeIt) {
  TGameSandbox S;
  for (const TFSVersion FSVersion : {FS19, FS22, FS25})
    S.Install(FSVersion);
  // Read-only by its permission bits: the program leaves such a file alone,
  // also when it runs as root.
  ASSERT_TRUE(QFile::setPermissions(S.Games.GameSettings(FS22),
                                    QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  const QString OtherFS22 = S.Env.PathOf(QStringLiteral("other/FarmingSimulator2022.exe"));
  WriteFile(OtherFS22, "MZ");
  std::unique_ptr<TfmSettings> Dialog = Open(S);
  S.Env.Prompts().AnswerPath(OtherFS22);
  Click(*Dialog, "btnFS22Location");
  S.Env.Prompts().AnswerPath(S.Env.PathOf(QStringLiteral("my mods")));
  Click(*Dialog, "btnModFolders");
  Child<QLineEdit>(*Dialog, "edtInGameName").setText(QStringLiteral("Joe"));
  // FS19's console is on already; FS22's would change if it were written.
  ASSERT_TRUE(Child<QCheckBox>(*Dialog, "chkEnableDevConsole").isChecked());
  Child<QComboBox>(*Dialog, "cmbTheme").setCurrentText(QStringLiteral("Glow"));
  Click(*Dialog, "btnOk");

  EXPECT_EQ(ReportedMessage(S.Reported), QStringLiteral("Unable to write to ") +
                                             S.Games.GameSettings(FS22) +
                                             QStringLiteral("\r\nError: Permission denied"));
  EXPECT_TRUE(Dialog->isVisible());
  // Stored before the failure: the locations, the root, FS19's name.
  EXPECT_EQ(S.StoredLocation(FS22), OtherFS22);
  EXPECT_EQ(S.DataModule.GetModManagerModFolders(), S.Env.PathOf(QStringLiteral("my mods")));
  EXPECT_EQ(ReadFile(S.Games.GameSettings(FS19)), TGameFolders::GameSettingsContent(FS19, "Joe"));
  // Not reached: FS22's console, FS25's name, the theme.
  EXPECT_EQ(ReadFile(S.Games.GameSettings(FS22)), TGameFolders::GameSettingsContent(FS22, "jono"));
  EXPECT_EQ(ReadFile(S.Games.GameXml(FS22)), TGameFolders::GameXmlContent(false));
  EXPECT_EQ(ReadFile(S.Games.GameSettings(FS25)),
            TGameFolders::GameSettingsContent(FS25, "Farmer25"));
  EXPECT_EQ(S.DataModule.GetTheme(), QString());
}

TEST_F(SettingsTest, OnlyOkStoresAndOnlyCancelTakesThePreviewBack) {
  enum class TWay { Cancel, CloseBox, Escape, EnterInNameBox, EnterOnCancel };
  const struct {
    const char* Name;
    const char* ThemeAtOpening;
    TWay Way;
    bool Closes;
    const char* ThemeAfter;
  } Cases[] = {
      {"Cancel", "Luna", TWay::Cancel, true, "Luna"},
      {"Cancel from the plain look", "Windows", TWay::Cancel, true, "Windows"},
      {"close box keeps the preview", "Luna", TWay::CloseBox, true, "Glow"},
      {"Escape does nothing", "Luna", TWay::Escape, false, "Glow"},
      {"Enter in a text box does nothing", "Luna", TWay::EnterInNameBox, false, "Glow"},
      {"Enter on Cancel", "Luna", TWay::EnterOnCancel, true, "Luna"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TGameSandbox S;
    S.Install(FS22);
    ASSERT_TRUE(TThemes::Apply(QLatin1String(Case.ThemeAtOpening)));
    std::unique_ptr<TfmSettings> Dialog = Open(S);
    const QMap<QString, QByteArray> Before = S.Files();
    Child<QComboBox>(*Dialog, "cmbTheme").setCurrentText(QStringLiteral("Glow"));
    ASSERT_EQ(TThemes::ActiveName(), QStringLiteral("Glow"));
    auto& Name = Child<QLineEdit>(*Dialog, "edtInGameName");
    Name.setText(QStringLiteral("Changed"));

    switch (Case.Way) {
    case TWay::Cancel:
      Click(*Dialog, "btnCancel");
      break;
    case TWay::CloseBox:
      Dialog->close();
      break;
    case TWay::Escape:
      Name.setFocus();
      QTest::keyClick(&Name, Qt::Key_Escape);
      break;
    case TWay::EnterInNameBox:
      Name.setFocus();
      QTest::keyClick(&Name, Qt::Key_Return);
      break;
    case TWay::EnterOnCancel: {
      auto& Cancel = Child<QPushButton>(*Dialog, "btnCancel");
      Cancel.setFocus();
      QTest::keyClick(&Cancel, Qt::Key_Return);
      break;
    }
    }
    EXPECT_EQ(Dialog->isVisible(), !Case.Closes);
    if (Case.Closes) {
      EXPECT_EQ(Dialog->result(), QDialog::Rejected);
    }
    EXPECT_EQ(TThemes::ActiveName(), QLatin1String(Case.ThemeAfter));
    EXPECT_TRUE(S.Files() == Before);
    EXPECT_TRUE(S.Env.Prompts().History().empty());
    EXPECT_TRUE(S.Reported.empty());
  }
}

TEST_F(SettingsTest, EnterOnOkStoresLikeAClick) {
  TGameSandbox S;
  S.Install(FS22);
  std::unique_ptr<TfmSettings> Dialog = Open(S);
  Child<QComboBox>(*Dialog, "cmbTheme").setCurrentText(QStringLiteral("Glow"));
  auto& Ok = Child<QPushButton>(*Dialog, "btnOk");
  Ok.setFocus();
  QTest::keyClick(&Ok, Qt::Key_Enter);
  EXPECT_FALSE(Dialog->isVisible());
  EXPECT_EQ(Dialog->result(), QDialog::Accepted);
  EXPECT_EQ(S.DataModule.GetTheme(), QStringLiteral("Glow"));
}

TEST_F(SettingsTest, EachLocationButtonAsksForItsOneExecutableWhereTheCurrentOneIs) {
  const struct {
    const char* Button;
    const char* Box;
    const char* Title;
    const char* FileTypeName;
    const char* Mask;
  } Cases[] = {
      {"btnFS19Location", "edtFS19Location", "Location of FarmingSimulator2019.exe", "FS19",
       "FarmingSimulator2019.exe"},
      {"btnFS22Location", "edtFS22Location", "Location of FarmingSimulator2022.exe", "FS22",
       "FarmingSimulator2022.exe"},
      {"btnFS25Location", "edtFS25Location", "Location of FarmingSimulator2025.exe", "FS25",
       "FarmingSimulator2025.exe"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Button);
    TGameSandbox S;
    const QString Picked = S.Env.PathOf(QStringLiteral("D/Games/") + QLatin1String(Case.Mask));
    WriteFile(Picked, "MZ");
    TfmSettings Dialog(nullptr, S.DataModule);

    // Empty box: the dialog starts where it likes. Then a pick, and a
    // cancelled second look that starts beside the picked file.
    S.Env.Prompts().AnswerPath(Picked);
    Click(Dialog, Case.Button);
    EXPECT_EQ(Text(Dialog, Case.Box), Picked);
    S.Env.Prompts().AnswerPath(QString());
    Click(Dialog, Case.Button);
    EXPECT_EQ(Text(Dialog, Case.Box), Picked);

    const auto& History = S.Env.Prompts().History();
    ASSERT_EQ(History.size(), 2u);
    const QString Starts[] = {QString(), S.Env.PathOf(QStringLiteral("D/Games"))};
    for (size_t I = 0; I < History.size(); ++I) {
      SCOPED_TRACE(I);
      const auto& Shown = History[I];
      EXPECT_EQ(Shown.What, ScriptedPromptService::Shown::Type::OpenFile);
      EXPECT_EQ(Shown.DialogOptions.Title, QLatin1String(Case.Title));
      ASSERT_EQ(Shown.DialogOptions.FileTypes.size(), 1);
      EXPECT_EQ(Shown.DialogOptions.FileTypes[0].Name, QLatin1String(Case.FileTypeName));
      EXPECT_EQ(Shown.DialogOptions.FileTypes[0].Mask, QLatin1String(Case.Mask));
      EXPECT_EQ(Shown.DialogOptions.InitialFolder, Starts[I]);
    }
  }
}

TEST_F(SettingsTest, TheModFoldersButtonPicksAFolderStartingAtTheCurrentRoot) {
  TGameSandbox S;
  S.DataModule.SetModManagerModFolders(S.Env.PathOf(QStringLiteral("mods")));
  TfmSettings Dialog(nullptr, S.DataModule);
  S.Env.Prompts().AnswerPath(QString());
  Click(Dialog, "btnModFolders");
  EXPECT_EQ(Text(Dialog, "edtModFolders"), S.Env.PathOf(QStringLiteral("mods")));
  S.Env.Prompts().AnswerPath(S.Env.PathOf(QStringLiteral("other mods")));
  Click(Dialog, "btnModFolders");
  EXPECT_EQ(Text(Dialog, "edtModFolders"), S.Env.PathOf(QStringLiteral("other mods")));

  const auto& History = S.Env.Prompts().History();
  ASSERT_EQ(History.size(), 2u);
  for (const auto& Shown : History) {
    EXPECT_EQ(Shown.What, ScriptedPromptService::Shown::Type::PickFolder);
    EXPECT_EQ(Shown.DialogOptions.InitialFolder, S.Env.PathOf(QStringLiteral("mods")));
  }
}

} // namespace
} // namespace tilvane::test

namespace tilvane::test {
namespace {

// The text to paste into Steam names the program where the player's copy
// really is (a portable copy's launcher), and each folder of each game.
TEST_F(SettingsTest, OffersTheSteamLaunchOptionOfEveryFolder) {
  qputenv("TILVANE_LAUNCHER", "/home/deck/Apps/Tilvane 1.0/tilvane");
  TGameSandbox Sandbox;
  for (const auto& [FSVersion, Names] :
       {std::pair{FS22, QStringList{QStringLiteral("Singleplayer")}},
        std::pair{FS25, QStringList{QStringLiteral("Server A"), QStringLiteral("Bob's farm")}}}) {
    Sandbox.DataModule.LoadModFolders(FSVersion);
    Sandbox.DataModule.ModFolderList().clear();
    for (const QString& Name : Names) {
      auto Folder = std::make_unique<TModFolder>();
      Folder->Name = Name;
      Sandbox.DataModule.ModFolderList().push_back(std::move(Folder));
    }
    Sandbox.DataModule.SaveModFolders(FSVersion);
  }
  const std::unique_ptr<TfmSettings> Dialog = Open(Sandbox);
  qunsetenv("TILVANE_LAUNCHER");
  auto& Folders = Child<QComboBox>(*Dialog, "cmbLaunchFolder");
  QStringList Captions;
  for (int I = 0; I < Folders.count(); ++I)
    Captions << Folders.itemText(I);
  // FS19's list is the one a first start gives.
  EXPECT_EQ(
      Captions,
      (QStringList{QStringLiteral("FS19: Default Mod Folder"), QStringLiteral("FS22: Singleplayer"),
                   QStringLiteral("FS25: Server A"), QStringLiteral("FS25: Bob's farm")}));
  Folders.setCurrentIndex(1);
  EXPECT_EQ(Text(*Dialog, "edtLaunchOption"),
            QStringLiteral("'/home/deck/Apps/Tilvane 1.0/tilvane' --launch Singleplayer -- "
                           "%command%"));
  Folders.setCurrentIndex(3);
  Click(*Dialog, "btnCopyLaunchOption");
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            QStringLiteral("'/home/deck/Apps/Tilvane 1.0/tilvane' --launch 'Bob'\\''s farm' -- "
                           "%command%"));
}

} // namespace
} // namespace tilvane::test

namespace tilvane::test {
namespace {

// Two folders hold the same 3 MB archive: the dialog says what sharing
// would free, and only the click links them.
TEST_F(SettingsTest, SharesIdenticalModsOnlyOnTheClick) {
  TGameSandbox Sandbox;
  QByteArray Payload(3 * 1024 * 1024, Qt::Uninitialized);
  QStringList Archives;
  Sandbox.DataModule.LoadModFolders(FS22);
  Sandbox.DataModule.ModFolderList().clear();
  for (const char* Name : {"Map A", "Map B"}) {
    auto Folder = std::make_unique<TModFolder>();
    Folder->Name = QString::fromUtf8(Name);
    Folder->Folder = Sandbox.Env.PathOf(QStringLiteral("mods/") + Folder->Name);
    Archives << Folder->Folder + QStringLiteral("/FS22_Pack.zip");
    QDir().mkpath(Folder->Folder);
    kit::WriteLargeModArchive(Archives.back(), QStringLiteral("Tester"), QStringLiteral("1.0.0.0"),
                              Payload, Payload.size(), 7);
    Sandbox.DataModule.ModFolderList().push_back(std::move(Folder));
  }
  Sandbox.DataModule.SaveModFolders(FS22);
  const auto Inode = [](const QString& APath) {
    struct stat Info {};
    return ::stat(QFile::encodeName(APath).constData(), &Info) == 0 ? Info.st_ino : 0;
  };
  ASSERT_NE(Inode(Archives[0]), Inode(Archives[1]));

  const std::unique_ptr<TfmSettings> Dialog = Open(Sandbox);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog->SharingSearchEnded(); }, 10000));
  EXPECT_EQ(Child<QLabel>(*Dialog, "lblSharing").text(),
            QStringLiteral("1 mod archives are held by more than one folder: sharing them would "
                           "free 3.0 MB."));
  EXPECT_NE(Inode(Archives[0]), Inode(Archives[1]));
  Click(*Dialog, "btnShareMods");
  EXPECT_EQ(Inode(Archives[0]), Inode(Archives[1]));
  EXPECT_EQ(Sandbox.Env.Prompts().Messages(),
            QStringList(QStringLiteral("1 mod archives now share one copy with another folder.")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog->SharingSearchEnded(); }, 10000));
  EXPECT_EQ(Child<QLabel>(*Dialog, "lblSharing").text(),
            QStringLiteral("No two mod folders hold the same mod archive."));
  EXPECT_FALSE(Child<QPushButton>(*Dialog, "btnShareMods").isEnabled());
}

} // namespace
} // namespace tilvane::test
