#include "core/common/AppError.h"
#include "core/game/FSVersion.h"
#include "core/game/ProcessNameMatcher.h"
#include "core/game/SteamLibraryFolders.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using test::L;

TEST(FSVersionNames, EveryNameFollowsTheNumberString) {
  struct Case {
    TFSVersion Version;
    const char *Number, *Ini, *MyGames, *Exe, *Steam, *StandAlone, *Process, *Tab;
    std::uint32_t SteamAppId;
  };
  // The relative folders carry the separator of Linux, where the program runs.
  const Case cases[] = {
      {TFSVersion::fsv19, "19", "FS19.ini", "My Games/FarmingSimulator2019",
       "FarmingSimulator2019.exe", "steamapps/common/Farming Simulator 19",
       "Farming Simulator 2019", "FarmingSimulator2019Game.exe", "FS19", 787860},
      {TFSVersion::fsv22, "22", "FS22.ini", "My Games/FarmingSimulator2022",
       "FarmingSimulator2022.exe", "steamapps/common/Farming Simulator 22",
       "Farming Simulator 2022", "FarmingSimulator2022Game.exe", "FS22", 1248130},
      {TFSVersion::fsv25, "25", "FS25.ini", "My Games/FarmingSimulator2025",
       "FarmingSimulator2025.exe", "steamapps/common/Farming Simulator 25",
       "Farming Simulator 2025", "FarmingSimulator2025Game.exe", "FS25", 2300320},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Number);
    EXPECT_EQ(FSVersionToNumberStr(c.Version), L(c.Number));
    EXPECT_EQ(FSIniFileName(c.Version), L(c.Ini));
    EXPECT_EQ(FSMyGamesRelative(c.Version), L(c.MyGames));
    EXPECT_EQ(FSExeName(c.Version), L(c.Exe));
    EXPECT_EQ(FSSteamGameRelative(c.Version), L(c.Steam));
    EXPECT_EQ(FSStandAloneGameRelative(c.Version), L(c.StandAlone));
    EXPECT_EQ(FSProcessName(c.Version), L(c.Process));
    EXPECT_EQ(FSTabCaption(c.Version), L(c.Tab));
    EXPECT_EQ(FSSteamAppId(c.Version), c.SteamAppId);
  }
}

TEST(FSVersionNames, UnknownGenerationRaisesWithTheMemberName) {
  try {
    RaiseFSVersionException(TFSVersion::fsv22);
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), L("Unknown FSVersion: fsv22"));
  }
  try {
    RaiseFSVersionException(static_cast<TFSVersion>(7));
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), L("Unknown FSVersion: fsv7"));
  }
}

TEST(SteamLibraryFolders, LineValues) {
  struct Case {
    const char* Line;
    const char* Path;
  };
  const Case cases[] = {
      // Windows doubles its backslashes; each pair is one.
      {"\t\t\"path\"\t\t\"D:\\\\SteamLibrary\"", "D:\\SteamLibrary"},
      {"\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\r",
       "C:\\Program Files (x86)\\Steam"},
      // Linux and Steam Deck write plain paths.
      {"\t\t\"path\"\t\t\"/home/deck/.local/share/Steam\"", "/home/deck/.local/share/Steam"},
      {"\t\t\"path\"\t\t\"/run/media/deck/My Card\"", "/run/media/deck/My Card"},
      // The first occurrence of the token counts.
      {"\"path\" \"/a\" \"path\" \"/b\"", "/a"},
      // Nothing usable.
      {"\t\t\"label\"\t\t\"\"", ""},
      {"\t\"1\"\t\t\"/mnt/games\"", ""},
      {"\t\t\"path\"\t\t\"/never/closed", ""},
      {"\t\t\"path\"", ""},
      {"\t\tpath\t\t\"/unquoted/key\"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    EXPECT_EQ(TSteamLibraryFolders::PathOfLine(L(c.Line)), L(c.Path));
  }
}

TEST(SteamLibraryFolders, WholeFilesInEveryLayout) {
  const char* nested = "\"libraryfolders\"\r\n{\r\n\t\"0\"\r\n\t{\r\n"
                       "\t\t\"path\"\t\t\"C:\\\\Program Files (x86)\\\\Steam\"\r\n"
                       "\t\t\"label\"\t\t\"\"\r\n\t\t\"apps\"\r\n\t\t{\r\n"
                       "\t\t\t\"228980\"\t\t\"269459749\"\r\n\t\t}\r\n\t}\r\n\t\"1\"\r\n\t{\r\n"
                       "\t\t\"path\"\t\t\"E:\\\\SteamLibrary\"\r\n\t}\r\n}\r\n";
  EXPECT_EQ(TSteamLibraryFolders::ParsePaths(L(nested)),
            QStringList({L("C:\\Program Files (x86)\\Steam"), L("E:\\SteamLibrary")}));

  const char* deck =
      "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"/home/deck/.local/"
      "share/Steam\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"/run/media/deck/SD\"\n\t}\n}\n";
  EXPECT_EQ(TSteamLibraryFolders::ParsePaths(L(deck)),
            QStringList({L("/home/deck/.local/share/Steam"), L("/run/media/deck/SD")}));

  // Steam's older flat layout has no "path" keys at all.
  const char* flat = "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1\"\n\t\"1\"\t\t\"/mnt/"
                     "games\"\n}\n";
  EXPECT_TRUE(TSteamLibraryFolders::ParsePaths(L(flat)).isEmpty());
  EXPECT_TRUE(TSteamLibraryFolders::ReadFile(L("/nonexistent/libraryfolders.vdf")).isEmpty());
}

TEST(ProcessNameMatcher, PrefixIgnoringAsciiCase) {
  const TProcessNameMatcher matcher(L("FarmingSimulator2022Game.exe"));
  struct Case {
    const char* Process;
    bool Running;
  };
  const Case cases[] = {
      {"FarmingSimulator2022Game.exe", true},
      {"farmingsimulator2022game.EXE", true},
      {"FarmingSimulator2022Game.exe.bak", true}, // a longer name with the same start
      {"FarmingSimulator2022.exe", false},        // the launcher is not the game
      {"FarmingSimulator2019Game.exe", false},
      {"xFarmingSimulator2022Game.exe", false},
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Process);
    EXPECT_EQ(matcher.Matches(L(c.Process)), c.Running);
  }
  // Only A to Z fold: a dotted capital I is not an i.
  EXPECT_FALSE(TProcessNameMatcher(L("İ.exe")).Matches(L("i.exe")));
  EXPECT_EQ(TProcessNameMatcher::AsciiLower(L("ÄBC-Ö")), L("Äbc-Ö"));

  EXPECT_TRUE(matcher.AnyMatches({"explorer.exe", "FARMINGSIMULATOR2022GAME.EXE"}));
  EXPECT_FALSE(matcher.AnyMatches({"explorer.exe", "FarmingSimulator2022.exe"}));
  EXPECT_FALSE(matcher.AnyMatches({}));
}

} // namespace
} // namespace tilvane
