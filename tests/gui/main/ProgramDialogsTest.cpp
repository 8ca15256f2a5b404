#include "MainWindowFixture.h"

#include "gui/main/ProgramDialogs.h"
#include "gui/settings/DeveloperInfoFM.h"
#include "gui/settings/SettingsFM.h"

namespace tilvane::test {
namespace {

// The main window with the program's own dialogs, as the program opens them.
class ProgramDialogsTest : public MainWindowTest {
protected:
  ProgramDialogsTest() { Install(TFSVersion::fsv22); }

  TfmMain& OpenWithProgramDialogs() {
    Program = std::make_unique<TfmMain>(
        Env.Platform(), Env.Prompts(),
        TfmMain::TOptions{&ProgramDialogs,
                          [this](std::exception_ptr AError) { Reported.push_back(AError); },
                          [] { return false; }, nullptr});
    ProgramDialogs.SetDataModule(&Program->DataModule());
    Program->show();
    Settle();
    return *Program;
  }

  TProgramDialogs ProgramDialogs;
  std::unique_ptr<TfmMain> Program;
};

TEST_F(ProgramDialogsTest, SettingsAndDeveloperInfoOpenOnTheWindowsDataModule) {
  TfmMain& Window = OpenWithProgramDialogs();
  QWidget* SettingsParent = nullptr;
  WhenShown<TfmSettings>([&](TfmSettings* ADialog) {
    SettingsParent = ADialog->parentWidget();
    ADialog->reject();
  });
  Window.btnSettingsClick();
  EXPECT_EQ(SettingsParent, &Window);

  bool InfoShown = false;
  WhenShown<TfmDeveloperInfo>([&](TfmDeveloperInfo* AWindow) {
    InfoShown = true;
    AWindow->close();
  });
  Window.mniDeveloperInfoClick();
  EXPECT_TRUE(InfoShown);
  EXPECT_TRUE(Reported.empty());
}

} // namespace
} // namespace tilvane::test
