#include "platform/LinuxPlatformParsing.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tilvane::platform {
namespace {

using linux_parsing::ProcessNameFromCmdline;
using linux_parsing::SteamLibraryPaths;
using linux_parsing::UserDirFromConfig;

TEST(LinuxPlatformTest, UserDirsFile) {
  const std::string config = "# written by xdg-user-dirs-update\n"
                             "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                             "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\r\n"
                             "  XDG_MUSIC_DIR = \"/srv/music/\"\n"
                             "XDG_VIDEOS_DIR=\"$HOME\"\n"
                             "XDG_PICTURES_DIR=\"relative/is/invalid\"\n"
                             "XDG_TEMPLATES_DIR=\"$HOME/My \\\"Quoted\\\" Dir\"\n";
  const std::string home = "/home/player";
  EXPECT_EQ(UserDirFromConfig(config, "XDG_DOCUMENTS_DIR", home), "/home/player/Dokumente");
  EXPECT_EQ(UserDirFromConfig(config, "XDG_DESKTOP_DIR", home), "/home/player/Schreibtisch");
  EXPECT_EQ(UserDirFromConfig(config, "XDG_MUSIC_DIR", home), "/srv/music");
  EXPECT_EQ(UserDirFromConfig(config, "XDG_VIDEOS_DIR", home), "/home/player");
  EXPECT_EQ(UserDirFromConfig(config, "XDG_PICTURES_DIR", home), "");
  EXPECT_EQ(UserDirFromConfig(config, "XDG_TEMPLATES_DIR", home), "/home/player/My \"Quoted\" Dir");
  EXPECT_EQ(UserDirFromConfig(config, "XDG_DOWNLOAD_DIR", home), "");
  EXPECT_EQ(UserDirFromConfig("", "XDG_DOCUMENTS_DIR", home), "");
}

TEST(LinuxPlatformTest, ProcessNameFromCommandLine) {
  using namespace std::string_literals;
  const struct {
    std::string Cmdline;
    std::string Expected;
  } cases[] = {
      {"/usr/bin/bash\0-l\0"s, "bash"},
      // Proton shows the game's Windows path; the name is longer than comm's 15 characters.
      {"Z:\\SteamLibrary\\steamapps\\common\\Farming Simulator 22\\x64\\FarmingSimulator2022Game.exe\0"s,
       "FarmingSimulator2022Game.exe"},
      {"C:/Games/FS25/FarmingSimulator2025.exe\0-cheats\0"s, "FarmingSimulator2025.exe"},
      {"steam\0"s, "steam"},
      {""s, ""},
      {"/usr/lib/dir with spaces/tool --opt"s, "tool --opt"}, // a program that rewrote argv
      // Wine handing over the whole command line as one argument.
      {"C:\\Program Files (x86)\\FS22\\x64\\FarmingSimulator2022Game.EXE -log C:\\tmp\\a.txt\0"s,
       "FarmingSimulator2022Game.EXE"},
      {"\"Z:\\games\\FarmingSimulator2025Game.exe\" -x\0"s, "FarmingSimulator2025Game.exe"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProcessNameFromCmdline(c.Cmdline), c.Expected);
}

TEST(LinuxPlatformTest, SteamLibraryPathsFromBothLayoutsAndFromASteamInsideWine) {
  const struct {
    const char* Name;
    std::string Vdf;
    std::vector<std::string> Expected;
  } cases[] = {
      {"current nested layout",
       "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/deck/.local/share/Steam\"\n"
       "\t\t\"label\"\t\t\"\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/run/media/deck/MICROSD\"\r\n"
       "\t\t\"apps\"\n\t\t{\n\t\t}\n\t}\n}\n",
       {"/home/deck/.local/share/Steam", "/run/media/deck/MICROSD"}},
      {"Steam inside Wine: drive Z: is the root, other drives lead nowhere",
       "\"LibraryFolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"Z:\\\\home\\\\twig\\\\."
       "steam\\\\steam\"\n\t}\n"
       "\t\"1\"\n\t{\n\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\n\t}\n"
       "\t\"2\"\n\t{\n\t\t\"path\"\t\t\"z:\\\\\"\n\t}\n}\n",
       {"/home/twig/.steam/steam", "/"}},
      {"unclosed value and empty value",
       "\t\t\"path\"\t\t\"/mnt/games\n\t\t\"path\"\t\t\"\"\n\t\t\"path\"\t\t\"/mnt/ok\"\n",
       {"/mnt/ok"}},
      {"empty file", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(SteamLibraryPaths(c.Vdf), c.Expected);
  }
}

TEST(LinuxPlatformTest, ListsThisProcess) {
  auto platform = CreateSystemPlatform();
  const std::vector<std::string> names = platform->RunningProcessNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "test_platform_linux"), names.end());
}

} // namespace
} // namespace tilvane::platform
