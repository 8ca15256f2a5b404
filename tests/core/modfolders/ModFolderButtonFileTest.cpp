// The file that carries one mod folder button to another player.
#include "core/modfolders/ModFolderButtonFile.h"
#include "core/common/AppError.h"
#include "core/common/IniFile.h"
#include "core/modfolders/ModFolder.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tilvane {
namespace {

using test::L;
using test::ReadFile;
using test::WriteFile;

class ModFolderButtonFileTest : public ::testing::Test {
protected:
  ModFolderButtonFileTest() {
    Folder.Name = QStringLiteral("Green Acres");
    Folder.Folder = QStringLiteral("/never/written");
    Folder.DedicatedServerURL = QStringLiteral("http://192.0.2.17:8380/mods.html");
    Folder.WebUsername = QStringLiteral("admin");
    Folder.WebPassword = QStringLiteral("w3b");
    Folder.AutoUpdateFromDedicatedServer = true;
    Folder.RemoveModsNotOnServer = false;
    Folder.GameNameFilter = QStringLiteral("Green");
    Folder.GamePassword = QStringLiteral("join me");
  }
  QString FileName() const { return Env.PathOf(QStringLiteral("Green Acres.mfb")); }

  test::TestEnvironment Env;
  TModFolderButtonFile File{Env.Platform()};
  TModFolder Folder;
};

TEST(ModFolderButtonFileNames, ExtensionIsReplacedOrAppended) {
  const struct {
    const char* Chosen;
    const char* Written;
  } Cases[] = {
      {"x", "x.mfb"},
      {"x.txt", "x.mfb"},
      {"x.mfb", "x.mfb"},
      {"x.", "x.mfb"},
      {"x.tar.gz", "x.tar.mfb"},
      {"/home/jo/my.server/x", "/home/jo/my.server/x.mfb"},
      {"/home/jo/my.server/x.ini", "/home/jo/my.server/x.mfb"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(TModFolderButtonFile::WithButtonExtension(L(Case.Chosen)), L(Case.Written))
        << Case.Chosen;
  EXPECT_EQ(TModFolderButtonFile::FileType().Name, QStringLiteral("Mod Folder Button"));
  EXPECT_EQ(TModFolderButtonFile::FileType().Mask, QStringLiteral("*.mfb"));
}

TEST_F(ModFolderButtonFileTest, ExportWritesTheKeysInTheirOrder) {
  File.Export(Folder, TFSVersion::fsv25, FileName(), true);
  EXPECT_EQ(ReadFile(FileName()),
            QByteArray("[Button]\r\n"
                       "FileVersion=2\r\n"
                       "FSVersion=25\r\n"
                       "Name=Green Acres\r\n"
                       "DedicatedServerURL=http://192.0.2.17:8380/mods.html\r\n"
                       "WebUserName=admin\r\n"
                       "WebPassword=w3b\r\n"
                       "AutoUpdateFromDedicatedServer=1\r\n"
                       "RemoveModsNotOnServer=0\r\n"
                       "GameNameFilter=Green\r\n"
                       "ServerPassword=join me\r\n"));
}

TEST_F(ModFolderButtonFileTest, WithoutTheWebLoginNoWebKeysAreWritten) {
  File.Export(Folder, TFSVersion::fsv22, FileName(), false);
  EXPECT_EQ(ReadFile(FileName()),
            QByteArray("[Button]\r\n"
                       "FileVersion=2\r\n"
                       "FSVersion=22\r\n"
                       "Name=Green Acres\r\n"
                       "DedicatedServerURL=http://192.0.2.17:8380/mods.html\r\n"
                       "AutoUpdateFromDedicatedServer=1\r\n"
                       "RemoveModsNotOnServer=0\r\n"
                       "GameNameFilter=Green\r\n"
                       "ServerPassword=join me\r\n"));
}

TEST_F(ModFolderButtonFileTest, ExportOverAnExistingFileKeepsItsOtherKeys) {
  WriteFile(FileName(), "; shared on the forum\r\n"
                        "[Button]\r\n"
                        "Name=Old name\r\n"
                        "WebUserName=earlier\r\n"
                        "WebPassword=login\r\n"
                        "Comment=keep me\r\n"
                        "[Other]\r\n"
                        "Key=value\r\n");
  File.Export(Folder, TFSVersion::fsv22, FileName(), false);
  // Without the web login the export takes away one an earlier export left.
  EXPECT_EQ(ReadFile(FileName()),
            QByteArray("; shared on the forum\r\n"
                       "[Button]\r\n"
                       "Name=Green Acres\r\n"
                       "Comment=keep me\r\n"
                       "FileVersion=2\r\n"
                       "FSVersion=22\r\n"
                       "DedicatedServerURL=http://192.0.2.17:8380/mods.html\r\n"
                       "AutoUpdateFromDedicatedServer=1\r\n"
                       "RemoveModsNotOnServer=0\r\n"
                       "GameNameFilter=Green\r\n"
                       "ServerPassword=join me\r\n"
                       "[Other]\r\n"
                       "Key=value\r\n"));
}

TEST_F(ModFolderButtonFileTest, ExportWithoutTheLoginAfterOneWithItLeavesNoLoginOwnerOnly) {
  // A file someone else may read: made by hand with the umask's mode.
  WriteFile(FileName(), "[Button]\r\n");
  ASSERT_EQ(::chmod(QFile::encodeName(FileName()).constData(), 0644), 0);
  File.Export(Folder, TFSVersion::fsv22, FileName(), true);
  ASSERT_TRUE(ReadFile(FileName()).contains("WebPassword=w3b\r\n"));
  EXPECT_EQ(test::ModeOf(FileName()), 0600);

  File.Export(Folder, TFSVersion::fsv22, FileName(), false);
  const QByteArray Content = ReadFile(FileName());
  EXPECT_FALSE(Content.contains("WebUserName")) << Content.toStdString();
  EXPECT_FALSE(Content.contains("WebPassword")) << Content.toStdString();
  EXPECT_TRUE(Content.contains("ServerPassword=join me\r\n"));
  EXPECT_EQ(test::ModeOf(FileName()), 0600);
}

TEST_F(ModFolderButtonFileTest, ImportReadsWhatTheExportWrote) {
  const struct {
    bool AutoUpdate;
    bool Remove;
    bool WithWebLogin;
  } Cases[] = {{true, false, true}, {false, false, false}, {false, true, true}};
  for (const auto& Case : Cases) {
    SCOPED_TRACE(testing::Message() << Case.AutoUpdate << Case.Remove << Case.WithWebLogin);
    Folder.AutoUpdateFromDedicatedServer = Case.AutoUpdate;
    Folder.RemoveModsNotOnServer = Case.Remove;
    QFile::remove(FileName());
    File.Export(Folder, TFSVersion::fsv19, FileName(), Case.WithWebLogin);
    const TModFolderButtonFile::TButton Button = File.Import(FileName());
    EXPECT_EQ(Button.FSVersion, QStringLiteral("19"));
    EXPECT_EQ(Button.Name, QStringLiteral("Green Acres"));
    EXPECT_EQ(Button.DedicatedServerURL, QStringLiteral("http://192.0.2.17:8380/mods.html"));
    EXPECT_EQ(Button.WebUserName,
              Case.WithWebLogin ? std::optional(QStringLiteral("admin")) : std::nullopt);
    EXPECT_EQ(Button.WebPassword,
              Case.WithWebLogin ? std::optional(QStringLiteral("w3b")) : std::nullopt);
    EXPECT_EQ(Button.AutoUpdateFromDedicatedServer, Case.AutoUpdate);
    EXPECT_EQ(Button.RemoveModsNotOnServer, Case.Remove);
    EXPECT_EQ(Button.GameNameFilter, QStringLiteral("Green"));
    EXPECT_EQ(Button.ServerPassword, QStringLiteral("join me"));
  }
}

TEST_F(ModFolderButtonFileTest, AStatsFeedTravelsRightAfterTheServerAddress) {
  const QString Feed =
      QStringLiteral("http://192.0.2.17:8380/feed/dedicated-server-stats.xml?code=5f3a");
  Folder.StatsFeedURL = Feed;
  File.Export(Folder, TFSVersion::fsv25, FileName(), false);
  EXPECT_EQ(ReadFile(FileName()),
            QByteArray("[Button]\r\n"
                       "FileVersion=2\r\n"
                       "FSVersion=25\r\n"
                       "Name=Green Acres\r\n"
                       "DedicatedServerURL=http://192.0.2.17:8380/mods.html\r\n"
                       "StatsFeedURL=http://192.0.2.17:8380/feed/"
                       "dedicated-server-stats.xml?code=5f3a\r\n"
                       "AutoUpdateFromDedicatedServer=1\r\n"
                       "RemoveModsNotOnServer=0\r\n"
                       "GameNameFilter=Green\r\n"
                       "ServerPassword=join me\r\n"));
  EXPECT_EQ(File.Import(FileName()).StatsFeedURL, Feed);

  // The same file exported again for a button without a feed: the old feed
  // must not come back with the import.
  Folder.StatsFeedURL.clear();
  File.Export(Folder, TFSVersion::fsv25, FileName(), false);
  EXPECT_FALSE(ReadFile(FileName()).contains("StatsFeedURL"));
  EXPECT_EQ(File.Import(FileName()).StatsFeedURL, QString());
}

TEST_F(ModFolderButtonFileTest, MissingKeysGiveTheirDefaults) {
  const struct {
    const char* Name;
    QByteArray Content; // empty: no file at all
  } Cases[] = {
      {"no file", {}},
      {"no keys", "[Button]\r\n"},
      {"not an INI file", QByteArray("PK\x03\x04\x00\x00"
                                     "binary\xff\xfe",
                                     14)},
      {"other section only", "[Common]\r\nFSVersion=25\r\nName=Elsewhere\r\n"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    QFile::remove(FileName());
    if (!Case.Content.isEmpty())
      WriteFile(FileName(), Case.Content);
    const TModFolderButtonFile::TButton Button = File.Import(FileName());
    EXPECT_EQ(Button.FSVersion, QStringLiteral("22"));
    EXPECT_EQ(Button.Name, QString());
    EXPECT_EQ(Button.DedicatedServerURL, QString());
    EXPECT_EQ(Button.StatsFeedURL, QString());
    EXPECT_EQ(Button.WebUserName, std::nullopt);
    EXPECT_EQ(Button.WebPassword, std::nullopt);
    EXPECT_TRUE(Button.AutoUpdateFromDedicatedServer);
    EXPECT_TRUE(Button.RemoveModsNotOnServer);
    EXPECT_EQ(Button.GameNameFilter, QString());
    EXPECT_EQ(Button.ServerPassword, QString());
  }
}

TEST_F(ModFolderButtonFileTest, AnUnwritableFileRaisesTheStoreError) {
  const QString Missing = Env.PathOf(QStringLiteral("no such folder/x.mfb"));
  try {
    File.Export(Folder, TFSVersion::fsv22, Missing, true);
    ADD_FAILURE() << "no error";
  } catch (const EAppError& Error) {
    EXPECT_EQ(Error.Message(), QStringLiteral("Unable to write to ") + Missing);
  }
  EXPECT_FALSE(QFile::exists(Missing));
}

} // namespace
} // namespace tilvane
