// Paths between Linux and a game under Wine, through its prefix's drives.
#include "core/game/WineDrives.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <filesystem>

namespace tilvane {
namespace {

using test::L;

TWineDrives DeckDrives() {
  return TWineDrives({{QLatin1Char('C'), L("/pfx/drive_c")},
                      {QLatin1Char('D'), L("/run/media/deck/SD")},
                      {QLatin1Char('Z'), L("/")}});
}

TEST(WineDrivesTest, LinuxPathToTheGamesPathAndBack) {
  const struct {
    const char* Linux;
    const char* Windows;
  } cases[] = {
      {"/home/deck/FSMods/ServerA", "Z:\\home\\deck\\FSMods\\ServerA"},
      // The drive that holds the path most closely, not the root.
      {"/pfx/drive_c/users/steamuser/Documents/mods", "C:\\users\\steamuser\\Documents\\mods"},
      {"/run/media/deck/SD/mods", "D:\\mods"},
      {"/pfx/drive_c", "C:\\"},
      {"/", "Z:\\"},
      // A folder whose name only begins like a drive's folder is not on it.
      {"/pfx/drive_cx/mods", "Z:\\pfx\\drive_cx\\mods"},
      {"/home/deck/mods/", "Z:\\home\\deck\\mods\\"}, // the rest as written
      {"/home/deck/Mods Äö/S", "Z:\\home\\deck\\Mods Äö\\S"},
  };
  const TWineDrives drives = DeckDrives();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Linux);
    EXPECT_EQ(drives.ToWindows(L(c.Linux)), L(c.Windows));
    EXPECT_EQ(drives.ToLinux(L(c.Windows)), L(c.Linux));
  }
}

TEST(WineDrivesTest, WhatCannotCross) {
  const TWineDrives noRoot({{QLatin1Char('C'), L("/pfx/drive_c")}});
  EXPECT_EQ(noRoot.ToWindows(L("/home/deck/mods")), QString());
  EXPECT_EQ(noRoot.ToWindows(L("/pfx/drive_c/mods")), L("C:\\mods"));
  EXPECT_EQ(DeckDrives().ToWindows(L("relative/mods")), QString());
  EXPECT_EQ(TWineDrives().ToWindows(L("/home")), QString());

  // The game's file edited by hand: any letter case, either slash.
  EXPECT_EQ(DeckDrives().ToLinux(L("c:/users/mods")), L("/pfx/drive_c/users/mods"));
  // No such drive, or no drive at all: unchanged.
  EXPECT_EQ(DeckDrives().ToLinux(L("E:\\mods")), L("E:\\mods"));
  EXPECT_EQ(DeckDrives().ToLinux(L("\\\\server\\mods")), L("\\\\server\\mods"));
  EXPECT_EQ(DeckDrives().ToLinux(L("/home/deck/mods")), L("/home/deck/mods"));
  EXPECT_EQ(TWineDrives::LinuxRootAsZ().ToLinux(L("Z:\\home\\twig\\.steam\\steam")),
            L("/home/twig/.steam/steam"));
}

TEST(WineDrivesTest, DrivesAreTheLetterLinksOfThePrefix) {
  test::TestEnvironment env;
  namespace fs = std::filesystem;
  const fs::path pfx = env.PathOf(L("pfx")).toStdString();
  fs::create_directories(pfx / "dosdevices");
  fs::create_directories(pfx / "drive_c");
  fs::create_directory_symlink("../drive_c", pfx / "dosdevices/c:");
  fs::create_directory_symlink("/", pfx / "dosdevices/z:");
  fs::create_directory_symlink("/run/media/deck/SD", pfx / "dosdevices/D:"); // not there now
  fs::create_symlink("/dev/sda1", pfx / "dosdevices/d::");                   // a raw device
  fs::create_symlink("/dev/ttyS0", pfx / "dosdevices/com1");
  test::WriteFile(env.PathOf(L("pfx/dosdevices/e:")), "not a link");

  const TWineDrives drives = TWineDrives::Read(env.PathOf(L("pfx")));
  EXPECT_EQ(drives.ToWindows(env.PathOf(L("pfx/drive_c/mods"))), L("C:\\mods"));
  EXPECT_EQ(drives.ToLinux(L("C:\\mods")), env.PathOf(L("pfx/drive_c/mods")));
  EXPECT_EQ(drives.ToLinux(L("d:\\mods")), L("/run/media/deck/SD/mods"));
  EXPECT_EQ(drives.ToLinux(L("Z:\\srv")), L("/srv"));
  EXPECT_EQ(drives.Drives().size(), 3u);
  EXPECT_TRUE(TWineDrives::Read(env.PathOf(L("missing"))).Drives().empty());
}

} // namespace
} // namespace tilvane
