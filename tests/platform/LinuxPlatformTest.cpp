#include "platform/LinuxPlatformParsing.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tilvane::platform {
namespace {

using linux_parsing::ProcessNameFromCmdline;
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
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProcessNameFromCmdline(c.Cmdline), c.Expected);
}

TEST(LinuxPlatformTest, ListsThisProcess) {
  auto platform = CreateSystemPlatform();
  const std::vector<std::string> names = platform->RunningProcessNames();
  EXPECT_NE(std::find(names.begin(), names.end(), "test_platform_linux"), names.end());
}

} // namespace
} // namespace tilvane::platform
