// Finding a game that Steam runs under Proton, on a sandbox home folder laid
// out like a Steam Deck's: real folders, real links.
#include "platform/ProtonLocator.h"
#include "platform/Platform.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace tilvane::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t FS19 = 787860;
constexpr std::uint32_t FS22 = 1248130;
constexpr std::uint32_t FS25 = 2300320;

void Write(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string LibraryFile(const std::vector<std::string>& paths) {
  std::string text = "\"libraryfolders\"\n{\n";
  for (size_t i = 0; i < paths.size(); ++i)
    text += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + paths[i] + "\"\n\t}\n";
  return text + "}\n";
}

// home/.local/share/Steam is the Steam install, home/.steam/steam links to
// it. FS19 sits in the install's own library with an older prefix, FS22 on
// a card (media/SD) listed by current Steam, FS25 in a library that only
// the older list names, in a Steam-inside-Wine spelling. The install's own
// library holds an FS25 folder without a prefix: not a Proton game.
class ProtonLocatorTest : public ::testing::Test {
protected:
  ProtonLocatorTest() {
    fs::create_directories(Steam);
    fs::create_directories(Home + "/.steam");
    fs::create_directory_symlink(Steam, Home + "/.steam/steam");
    Write(Steam + "/steamapps/libraryfolders.vdf", LibraryFile({Steam, Card}));
    std::string wineLibrary = "Z:" + WineLibrary;
    for (char& c : wineLibrary)
      c = c == '/' ? '\\' : c;
    std::string doubled;
    for (char c : wineLibrary)
      doubled += c == '\\' ? std::string("\\\\") : std::string(1, c);
    Write(Steam + "/config/libraryfolders.vdf", LibraryFile({"C:\\\\Steam", doubled}));

    InstallGame(Steam, "19", FS19, "My Documents");
    InstallGame(Card, "22", FS22, "Documents");
    InstallGame(WineLibrary, "25", FS25, "Documents");
    fs::create_directories(Steam + "/steamapps/common/Farming Simulator 25");
  }

  void InstallGame(const std::string& library, const char* number, std::uint32_t appId,
                   const char* documents) {
    fs::create_directories(library + "/steamapps/common/Farming Simulator " + number);
    const std::string pfx = Prefix(library, appId);
    fs::create_directories(pfx + "/dosdevices");
    fs::create_directory_symlink("../drive_c", pfx + "/dosdevices/c:");
    fs::create_directory_symlink("/", pfx + "/dosdevices/z:");
    fs::create_directories(pfx + "/drive_c/users/steamuser/" + documents +
                           "/My Games/FarmingSimulator20" + number);
  }
  static std::string Prefix(const std::string& library, std::uint32_t appId) {
    return library + "/steamapps/compatdata/" + std::to_string(appId) + "/pfx";
  }
  static std::string Game(const char* number) {
    return std::string("steamapps/common/Farming Simulator ") + number;
  }

  QTemporaryDir Dir;
  const std::string Root = Dir.path().toStdString();
  const std::string Home = Root + "/home/deck";
  const std::string Steam = Home + "/.local/share/Steam";
  const std::string Card = Root + "/media/SD";
  const std::string WineLibrary = Root + "/wine/SteamLibrary";
};

TEST_F(ProtonLocatorTest, SteamInstallsAndTheirLibrariesEachOnce) {
  // The link and its target are one install.
  EXPECT_EQ(proton::SteamRoots(Home), std::vector<std::string>{Home + "/.steam/steam"});
  const std::string flatpak = Home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam";
  fs::create_directories(flatpak);
  EXPECT_EQ(proton::SteamRoots(Home), (std::vector<std::string>{Home + "/.steam/steam", flatpak}));

  // The install lists itself under its real name; the older list's C:
  // library leads nowhere on Linux.
  EXPECT_EQ(proton::SteamLibraries(Home + "/.steam/steam"),
            (std::vector<std::string>{Home + "/.steam/steam", Card, WineLibrary}));
  EXPECT_EQ(proton::SteamRoots(Root + "/nobody"), std::vector<std::string>{});
}

TEST_F(ProtonLocatorTest, GameWithItsPrefixInTheLibraryThatHoldsIt) {
  const std::string steam = Home + "/.steam/steam";
  const struct {
    const char* Number;
    std::uint32_t AppId;
    std::string Prefix;
    std::string Documents;
  } cases[] = {
      {"19", FS19, Prefix(steam, FS19),
       Prefix(steam, FS19) + "/drive_c/users/steamuser/My Documents"},
      {"22", FS22, Prefix(Card, FS22), Prefix(Card, FS22) + "/drive_c/users/steamuser/Documents"},
      // The install's own FS25 folder has no prefix; the next library's has.
      {"25", FS25, Prefix(WineLibrary, FS25),
       Prefix(WineLibrary, FS25) + "/drive_c/users/steamuser/Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Number);
    const ProtonGame game = proton::FindProtonGame(Home, c.AppId, Game(c.Number));
    EXPECT_TRUE(game.RunsUnderProton());
    EXPECT_EQ(game.Prefix, c.Prefix);
    EXPECT_EQ(game.DocumentsFolder, c.Documents);
  }
}

TEST_F(ProtonLocatorTest, NoProtonGameWithoutGameFolderPrefixOrSteam) {
  // A prefix left behind by an uninstalled game.
  fs::remove_all(Card + "/steamapps/common/Farming Simulator 22");
  EXPECT_FALSE(proton::FindProtonGame(Home, FS22, Game("22")).RunsUnderProton());
  // The game's folder without its prefix.
  fs::remove_all(Prefix(WineLibrary, FS25));
  EXPECT_FALSE(proton::FindProtonGame(Home, FS25, Game("25")).RunsUnderProton());
  // The App ID decides, not the folder's name.
  EXPECT_FALSE(proton::FindProtonGame(Home, FS22, Game("19")).RunsUnderProton());
  EXPECT_FALSE(proton::FindProtonGame(Root + "/nobody", FS19, Game("19")).RunsUnderProton());
}

// Steam names the prefix of the game it starts: a second FS22 prefix (a
// copy of the game in another library) wins over the search's first, but
// only for the App ID it belongs to and only when it holds a pfx.
TEST_F(ProtonLocatorTest, PrefixSteamNamesForTheGameWinsOverTheSearch) {
  const std::string other = Root + "/other/SteamLibrary/steamapps/compatdata/1248130";
  fs::create_directories(other + "/pfx/drive_c/users/steamuser/Documents/My Games");
  const struct {
    const char* Case;
    std::uint32_t AppId;
    std::string CompatData;
    std::string Prefix;
  } cases[] = {
      {"named", FS22, other, other + "/pfx"},
      {"trailing slash", FS22, other + "/", other + "/pfx"},
      {"another game's", FS25, other, Prefix(WineLibrary, FS25)},
      {"unset", FS22, "", Prefix(Card, FS22)},
      {"no pfx", FS22, Root + "/empty/1248130", Prefix(Card, FS22)},
      {"App ID only as a suffix", FS22, Root + "/x11248130", Prefix(Card, FS22)},
  };
  fs::create_directories(Root + "/empty/1248130");
  fs::create_directories(Root + "/x11248130/pfx");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Case);
    const ProtonGame game =
        proton::FindProtonGame(Home, c.AppId, Game(c.AppId == FS22 ? "22" : "25"), c.CompatData);
    EXPECT_EQ(game.Prefix, c.Prefix);
  }
  EXPECT_EQ(proton::FindProtonGame(Home, FS22, Game("22"), other).DocumentsFolder,
            other + "/pfx/drive_c/users/steamuser/Documents");
}

TEST_F(ProtonLocatorTest, DocumentsFolderOfCurrentAndOlderPrefixes) {
  const struct {
    const char* Name;
    std::vector<const char*> Folders; // below steamuser
    const char* Expected;
  } cases[] = {
      {"current", {"Documents/My Games"}, "Documents"},
      {"older", {"My Documents/My Games"}, "My Documents"},
      {"both, the game's files in the older",
       {"Documents", "My Documents/My Games"},
       "My Documents"},
      {"older, the game never ran", {"My Documents"}, "My Documents"},
      {"the game never ran", {"Documents", "My Documents"}, "Documents"},
      {"a bare prefix", {}, "Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string pfx = Root + "/pfx-" + c.Name;
    for (const char* folder : c.Folders)
      fs::create_directories(pfx + "/drive_c/users/steamuser/" + folder);
    EXPECT_EQ(proton::PrefixDocumentsFolder(pfx), pfx + "/drive_c/users/steamuser/" + c.Expected);
  }
}

// The system platform looks below the user's home folder: here, the sandbox.
TEST_F(ProtonLocatorTest, SystemPlatformLooksBelowHome) {
  const char* oldHome = std::getenv("HOME");
  const std::optional<std::string> saved =
      oldHome ? std::optional<std::string>(oldHome) : std::nullopt;
  setenv("HOME", Home.c_str(), 1);
  auto platform = CreateSystemPlatform();
  const std::string steam = platform->SteamFolder();
  const ProtonGame game = platform->FindProtonGame(FS22, Game("22"));
  if (saved)
    setenv("HOME", saved->c_str(), 1);
  else
    unsetenv("HOME");
  EXPECT_EQ(steam, Home + "/.steam/steam");
  EXPECT_EQ(game.Prefix, Prefix(Card, FS22));
}

} // namespace
} // namespace tilvane::platform
