// A game that Steam runs under Proton, reached through the data module: a
// sandbox laid out like a Steam Deck's, with the game in a library on a card
// and its prefix, drive links and documents beside it.
#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

#include <filesystem>

namespace tilvane {
namespace {

using test::L;
using test::ReadFile;
using test::WriteFile;

const QByteArray FS22Settings =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                      "<gameSettings revision=\"15\">\n"
                      "    <onlinePresenceName>jono</onlinePresenceName>\n"
                      "</gameSettings>\n");

// The Windows spelling of a sandbox folder the game reaches through Z:.
QString OnZ(const QString& ALinuxPath) {
  return QStringLiteral("Z:") + QString(ALinuxPath).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

class ProtonGameTest : public ::testing::Test {
protected:
  ProtonGameTest() {
    namespace fs = std::filesystem;
    const fs::path pfx = Prefix().toStdString();
    fs::create_directories(pfx / "dosdevices");
    fs::create_directory_symlink("../drive_c", pfx / "dosdevices/c:");
    fs::create_directory_symlink("/", pfx / "dosdevices/z:");
    WriteFile(MyGames() + QStringLiteral("/gameSettings.xml"), FS22Settings);
    WriteFile(Exe(), "MZ");
    QDir().mkpath(Path("home/deck/.local/share/Steam/steamapps"));
    env.Platform().SetSteamFolder(Path("home/deck/.local/share/Steam").toStdString());
    env.Platform().SetProtonGame(1248130, {Prefix().toStdString(), Documents().toStdString()});
  }
  QString Path(const char* relative) const { return env.PathOf(L(relative)); }
  QString Library() const { return Path("media/SD"); }
  QString Exe() const {
    return Library() +
           QStringLiteral("/steamapps/common/Farming Simulator 22/FarmingSimulator2022.exe");
  }
  QString Prefix() const { return Library() + QStringLiteral("/steamapps/compatdata/1248130/pfx"); }
  QString Documents() const {
    return Prefix() + QStringLiteral("/drive_c/users/steamuser/Documents");
  }
  QString MyGames() const { return Documents() + QStringLiteral("/My Games/FarmingSimulator2022"); }
  QByteArray GameSettings() const {
    return ReadFile(MyGames() + QStringLiteral("/gameSettings.xml"));
  }
  QByteArray LibraryFile(const QString& ALibrary) const {
    return "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + ALibrary.toUtf8() +
           "\"\n\t}\n}\n";
  }

  test::TestEnvironment env;
  TdmMain dm{env.Platform(), env.Prompts()};
};

TEST_F(ProtonGameTest, GameIsFoundInALibraryFromEitherListAndInAWineSpelling) {
  QString wineSpelling = OnZ(Library());
  wineSpelling.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  const struct {
    const char* Name;
    const char* ListFile; // below the Steam folder
    QByteArray Text;
  } cases[] = {
      {"current Steam", "steamapps/libraryfolders.vdf", LibraryFile(Library())},
      {"older Steam", "config/libraryfolders.vdf", LibraryFile(Library())},
      {"Steam inside Wine", "steamapps/libraryfolders.vdf", LibraryFile(wineSpelling)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(Path("home/deck/.local/share/Steam/steamapps/libraryfolders.vdf"));
    QFile::remove(Path("home/deck/.local/share/Steam/config/libraryfolders.vdf"));
    dm.SetFSProgramLocation(TFSVersion::fsv22, {});
    WriteFile(Path("home/deck/.local/share/Steam/") + L(c.ListFile), c.Text);
    EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv22), Exe());
  }

  // A library on a Windows drive other than Z: names nothing here, not even
  // a folder of that name in the working folder. (Without a prefix, which
  // would lead to the game's library on its own.)
  env.Platform().SetProtonGame(1248130, {});
  const QString previous = QDir::currentPath();
  QDir::setCurrent(Path("media"));
  WriteFile(Path("media/C:\\SD/steamapps/common/Farming Simulator 22/FarmingSimulator2022.exe"),
            "MZ");
  QFile::remove(Path("home/deck/.local/share/Steam/steamapps/libraryfolders.vdf"));
  WriteFile(Path("home/deck/.local/share/Steam/config/libraryfolders.vdf"),
            LibraryFile(QStringLiteral("C:\\\\SD")));
  dm.SetFSProgramLocation(TFSVersion::fsv22, {});
  const QString found = dm.GetFSProgramLocation(TFSVersion::fsv22);
  QDir::setCurrent(previous);
  EXPECT_EQ(found, QString());
}

// The Steam install named first (here the native one) lists no library
// with the game; the prefix's library, found in another install, holds it.
TEST_F(ProtonGameTest, GameIsFoundInThePrefixLibraryWhenTheFirstSteamListsItNowhere) {
  dm.SetFSProgramLocation(TFSVersion::fsv22, {});
  EXPECT_EQ(dm.GetFSProgramLocation(TFSVersion::fsv22), Exe());
}

TEST_F(ProtonGameTest, GameFilesInThePrefixProgramSettingsInTheUsersDocuments) {
  EXPECT_EQ(dm.GetFSProtonPrefix(TFSVersion::fsv22), Prefix());
  EXPECT_EQ(dm.GetFSMyGamesFolder(TFSVersion::fsv22), MyGames());
  EXPECT_EQ(dm.GetIniFilePath(), Path("Documents/My Games/Tilvane"));
  EXPECT_EQ(dm.GetFSInGameName(TFSVersion::fsv22), L("jono"));
  // FS19 runs natively here: its files are where the platform keeps them.
  EXPECT_EQ(dm.GetFSProtonPrefix(TFSVersion::fsv19), QString());
  QDir().mkpath(Path("Documents/My Games/FarmingSimulator2019"));
  EXPECT_EQ(dm.GetFSMyGamesFolder(TFSVersion::fsv19),
            Path("Documents/My Games/FarmingSimulator2019"));
}

TEST_F(ProtonGameTest, ModFolderIsWrittenAsTheGameSeesItAndReadBackAsALinuxFolder) {
  const struct {
    const char* Name;
    QString Folder;
    QString InGameFile;
  } cases[] = {
      {"inside the prefix", Documents() + QStringLiteral("/Mods/Server A"),
       QStringLiteral("C:\\users\\steamuser\\Documents\\Mods\\Server A")},
      {"in the home folder", Path("home/deck/FSMods/ServerA"),
       OnZ(Path("home/deck/FSMods/ServerA"))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(dm.FSModFolderRefusal(TFSVersion::fsv22, c.Folder), QString());
    dm.SetFSModFolder(TFSVersion::fsv22, c.Folder);
    EXPECT_TRUE(GameSettings().contains("<modsDirectoryOverride active=\"true\" directory=\"" +
                                        c.InGameFile.toUtf8() + "\"/>"))
        << GameSettings().constData();
    EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22), c.Folder);
  }

  // The game's file edited by hand, and a path on a drive the prefix lacks.
  QByteArray edited = GameSettings();
  edited.replace(OnZ(Path("home/deck/FSMods/ServerA")).toUtf8(), "c:/users/steamuser/mods");
  WriteFile(MyGames() + QStringLiteral("/gameSettings.xml"), edited);
  EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22),
            Prefix() + QStringLiteral("/drive_c/users/steamuser/mods"));
  edited.replace("c:/users/steamuser/mods", "E:\\mods");
  WriteFile(MyGames() + QStringLiteral("/gameSettings.xml"), edited);
  EXPECT_EQ(dm.GetFSModFolder(TFSVersion::fsv22), L("E:\\mods"));

  dm.SetFSModFolder(TFSVersion::fsv22, QString());
  EXPECT_EQ(GameSettings(), FS22Settings);
}

TEST_F(ProtonGameTest, FolderTheGameCannotSeeIsRefusedAndNothingIsWritten) {
  // A prefix whose root drive was taken away to keep the game in its box.
  QFile::remove(Prefix() + QStringLiteral("/dosdevices/z:"));
  const QString folder = Path("home/deck/FSMods/ServerA");
  const QString refusal =
      QStringLiteral("Can not use mod folder ") + folder +
      QStringLiteral(" with Farming Simulator 22. The game runs under Proton and no drive of its "
                     "prefix leads to that folder.");
  EXPECT_EQ(dm.FSModFolderRefusal(TFSVersion::fsv22, folder), refusal);
  try {
    dm.SetFSModFolder(TFSVersion::fsv22, folder);
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), refusal);
  }
  EXPECT_EQ(GameSettings(), FS22Settings);
  // What the game can still reach, and the game's own folder, are no problem.
  EXPECT_EQ(dm.FSModFolderRefusal(TFSVersion::fsv22, Documents() + QStringLiteral("/Mods")),
            QString());
  EXPECT_EQ(dm.FSModFolderRefusal(TFSVersion::fsv22, QString()), QString());
  // A game that runs natively takes any folder as it is.
  EXPECT_EQ(dm.FSModFolderRefusal(TFSVersion::fsv19, folder), QString());
}

TEST_F(ProtonGameTest, GameUnderProtonIsStartedThroughSteam) {
  dm.SetFSProgramLocation(TFSVersion::fsv22, Exe());
  const QString nativeExe = Path("games/FarmingSimulator2019.exe");
  WriteFile(nativeExe, "MZ");
  dm.SetFSProgramLocation(TFSVersion::fsv19, nativeExe);
  dm.RunFS(TFSVersion::fsv22);
  dm.RunFS(TFSVersion::fsv19);
  dm.RunFS(TFSVersion::fsv25); // not installed: nothing
  EXPECT_EQ(env.Platform().OpenedTargets(),
            (std::vector<std::string>{"steam://rungameid/1248130", nativeExe.toStdString()}));
}

} // namespace
} // namespace tilvane
