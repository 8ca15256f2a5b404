#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using test::ReadFile;
using test::TestEnvironment;
using test::WriteFile;

class MainDMCoreTest : public ::testing::Test {
protected:
  QString SettingsFolder() const { return FEnv.Documents() + QStringLiteral("/My Games/Tilvane"); }
  QString IniFile() const { return SettingsFolder() + QStringLiteral("/Tilvane.ini"); }

  std::unique_ptr<TdmMain> Create() {
    return std::make_unique<TdmMain>(FEnv.Platform(), FEnv.Prompts(),
                                     [this](std::exception_ptr e) { FReported.push_back(e); });
  }

  TestEnvironment FEnv;
  std::vector<std::exception_ptr> FReported;
};

TEST_F(MainDMCoreTest, FirstRunCreatesTheFolderButNoFileAndGivesDefaults) {
  auto dm = Create();
  EXPECT_TRUE(FReported.empty());
  EXPECT_EQ(dm->GetIniFilePath(), SettingsFolder());
  EXPECT_TRUE(QFileInfo(SettingsFolder()).isDir());
  EXPECT_EQ(dm->IniFileName(), IniFile());
  EXPECT_FALSE(QFile::exists(IniFile()));
  EXPECT_EQ(dm->SaveModPageFolder(), QString::fromStdString(FEnv.Platform().DesktopFolder()));

  EXPECT_EQ(dm->GetTheme(), QString());
  EXPECT_EQ(dm->GetFormPos(QStringLiteral("TfmMain")), QPoint(-999999, -999999));
  EXPECT_EQ(dm->GetFormSize(QStringLiteral("TfmLogViewer")), QPoint(-999999, -999999));
  EXPECT_FALSE(dm->GetFormIsMaximized(QStringLiteral("TfmLogViewer")));
  EXPECT_EQ(dm->GetModManagerModFolders(), FEnv.Documents() + QStringLiteral("/My Games/Orsenby"));
  EXPECT_FALSE(QFile::exists(IniFile())); // reads create nothing

  dm->SetTheme(QStringLiteral("Windows10 Dark"));
  EXPECT_FALSE(FEnv.Platform().IsHidden(IniFile().toStdString())); // until the next start
  dm.reset();
  dm = Create();
  EXPECT_TRUE(FEnv.Platform().IsHidden(IniFile().toStdString()));
  EXPECT_EQ(dm->GetTheme(), QStringLiteral("Windows10 Dark"));
}

TEST_F(MainDMCoreTest, ExistingFileIsHiddenAndRead) {
  WriteFile(IniFile(), "[common]\r\ntheme = Carbon \r\nModManagerModFolders=D:\\Mods\r\n"
                       "[Form]\r\nTfmMain-X=-5\r\nTfmMain-Y=$10\r\nTfmLogViewer-AutoRefresh=yes\r\n"
                       "TfmLogViewer-ShowErrors=2\r\n");
  auto dm = Create();
  EXPECT_TRUE(FEnv.Platform().IsHidden(IniFile().toStdString()));
  EXPECT_EQ(dm->GetTheme(), QStringLiteral("Carbon"));
  EXPECT_EQ(dm->GetModManagerModFolders(), QStringLiteral("D:\\Mods"));
  EXPECT_EQ(dm->GetFormPos(QStringLiteral("TfmMain")), QPoint(-5, 16));
  EXPECT_TRUE(
      dm->GetFormBoolean(QStringLiteral("TfmLogViewer"), QStringLiteral("AutoRefresh"), true));
  EXPECT_FALSE(
      dm->GetFormBoolean(QStringLiteral("TfmLogViewer"), QStringLiteral("AutoRefresh"), false));
  EXPECT_TRUE(
      dm->GetFormBoolean(QStringLiteral("TfmLogViewer"), QStringLiteral("ShowErrors"), false));
}

TEST_F(MainDMCoreTest, FormStateWritesTheNamedKeys) {
  auto dm = Create();
  dm->SetFormPos(QStringLiteral("TfmMain"), QPoint(-5, 20));
  dm->SetFormSize(QStringLiteral("TfmLogViewer"), QPoint(800, 600));
  dm->SetFormIsMaximized(QStringLiteral("TfmLogViewer"), true);
  dm->SetFormString(QStringLiteral("TfmMain"), QStringLiteral("ActiveTab"), QStringLiteral("FS22"));
  dm->SetFormInteger(QStringLiteral("TfmLogViewer"), QStringLiteral("ErrorPanelHeight"), 120);
  dm->SetModManagerModFolders(QStringLiteral("/data/mods"));
  EXPECT_EQ(ReadFile(IniFile()), "[Form]\r\nTfmMain-X=-5\r\nTfmMain-Y=20\r\n"
                                 "TfmLogViewer-Width=800\r\nTfmLogViewer-Height=600\r\n"
                                 "TfmLogViewer-IsMaximized=1\r\nTfmMain-ActiveTab=FS22\r\n"
                                 "TfmLogViewer-ErrorPanelHeight=120\r\n\r\n"
                                 "[Common]\r\nModManagerModFolders=/data/mods\r\n");
  EXPECT_EQ(dm->GetFormString(QStringLiteral("TfmMain"), QStringLiteral("ActiveTab"), {}),
            QStringLiteral("FS22"));
  EXPECT_EQ(
      dm->GetFormInteger(QStringLiteral("TfmLogViewer"), QStringLiteral("ErrorPanelHeight"), 0),
      120);
}

// A platform whose documents folder cannot be found: start-up stops early.
class NoDocumentsPlatform : public platform::FakePlatform {
public:
  using FakePlatform::FakePlatform;
  std::string DocumentsFolder() override {
    if (Broken)
      throw platform::PlatformError("no documents folder");
    return FakePlatform::DocumentsFolder();
  }
  bool Broken = true;
};

TEST_F(MainDMCoreTest, ErrorDuringCreateIsReportedAndTheRestSkipped) {
  NoDocumentsPlatform platform(FEnv.PathOf(QStringLiteral("p")).toStdString());
  TdmMain dm(platform, FEnv.Prompts(), [this](std::exception_ptr e) { FReported.push_back(e); });
  ASSERT_EQ(FReported.size(), 1u);
  EXPECT_THROW(std::rethrow_exception(FReported[0]), platform::PlatformError);
  EXPECT_EQ(dm.Ini(), nullptr);
  EXPECT_EQ(dm.SaveModPageFolder(), QString());

  platform.Broken = false;
  // Reads give defaults; a write says which file it could not write.
  EXPECT_EQ(dm.GetFormPos(QStringLiteral("TfmMain")), QPoint(-999999, -999999));
  try {
    dm.SetTheme(QStringLiteral("x"));
    ADD_FAILURE() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") +
                               QString::fromStdString(platform.DocumentsFolder()) +
                               QStringLiteral("/My Games/Tilvane/Tilvane.ini"));
  }
}

TEST_F(MainDMCoreTest, SettingsFolderThatCannotBeCreatedFailsAtTheFirstWrite) {
  WriteFile(FEnv.Documents() + QStringLiteral("/My Games"), "a file in the way");
  auto dm = Create();
  EXPECT_TRUE(FReported.empty());
  EXPECT_EQ(dm->GetTheme(), QString());
  EXPECT_THROW(dm->SetTheme(QStringLiteral("x")), EAppError);
}

} // namespace
} // namespace tilvane
