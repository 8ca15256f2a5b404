// The per-game settings files and the mod folder list of the data module.
#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using test::ReadFile;
using test::WriteFile;

using test::L;

class ModFolderListTest : public ::testing::Test {
protected:
  QString IniPath(TFSVersion v) const {
    const char* name = v == TFSVersion::fsv19   ? "FS19.ini"
                       : v == TFSVersion::fsv22 ? "FS22.ini"
                                                : "FS25.ini";
    return env.PathOf(QStringLiteral("Documents/My Games/Tilvane/") + L(name));
  }
  // A per-game file written before the program first asks for it.
  void Prepare(TFSVersion v, const QByteArray& content) { WriteFile(IniPath(v), content); }
  TIniFile& Ini(TFSVersion v) { return dm.GetIniFileForFS(v); }
  QStringList Names() {
    QStringList names;
    for (const auto& f : dm.ModFolderList())
      names.append(f->Name);
    return names;
  }
  void AddFolders(const QStringList& names) {
    for (const QString& name : names) {
      auto folder = std::make_unique<TModFolder>();
      folder->Name = name;
      dm.ModFolderList().push_back(std::move(folder));
    }
  }

  test::TestEnvironment env;
  TdmMain dm{env.Platform(), env.Prompts()};
};

TEST_F(ModFolderListTest, FirstStartCreatesEachFileWithTheDefaultFolder) {
  for (TFSVersion v : AllFSVersions)
    EXPECT_TRUE(dm.GetFSShowTab(v));
  for (TFSVersion v : AllFSVersions) {
    SCOPED_TRACE(FSIniFileName(v).toStdString());
    ASSERT_TRUE(QFile::exists(IniPath(v)));
    EXPECT_TRUE(env.Platform().IsHidden(IniPath(v).toStdString()));
    TIniFile& ini = Ini(v);
    EXPECT_EQ(ini.ReadString(L("Common"), L("NumberOfModFolders"), {}), L("1"));
    EXPECT_EQ(ini.ReadString(L("ModFolder1"), L("Name"), {}), L("Default Mod Folder"));
    EXPECT_EQ(ini.ReadString(L("ModFolder1"), L("AutoUpdateFromDedicatedServer"), {}), L("1"));
    EXPECT_EQ(ini.ReadString(L("ModFolder1"), L("RemoveModsNotOnServer"), {}), L("0"));
    EXPECT_EQ(ini.ReadSectionKeys(L("ModFolder1")),
              QStringList({L("Name"), L("Folder"), L("DedicatedServerURL"), L("StatsFeedURL"),
                           L("WebUsername"), L("WebPassword"), L("AutoUpdateFromDedicatedServer"),
                           L("RemoveModsNotOnServer"), L("GameNameFilter"), L("GamePassword")}));
  }
  dm.LoadModFolders(TFSVersion::fsv22);
  ASSERT_EQ(dm.ModFolderList().size(), 1u);
  const TModFolder& f = *dm.ModFolderList()[0];
  EXPECT_EQ(f.Name, L("Default Mod Folder"));
  EXPECT_TRUE(f.Folder.isEmpty());
  EXPECT_TRUE(f.AutoUpdateFromDedicatedServer);
  EXPECT_FALSE(f.RemoveModsNotOnServer);

  // Once per run: a file deleted meanwhile is not given a default again.
  QFile::remove(IniPath(TFSVersion::fsv22));
  dm.LoadModFolders(TFSVersion::fsv22);
  EXPECT_TRUE(dm.ModFolderList().empty());
  EXPECT_FALSE(QFile::exists(IniPath(TFSVersion::fsv22)));
}

TEST_F(ModFolderListTest, ShowTab) {
  struct Case {
    const char* Line;
    bool Shown;
  };
  const Case cases[] = {{"ShowTab=1", true},   {"", true},
                        {"ShowTab=0", false},  {"ShowTab=true", false},
                        {"ShowTab=01", false}, {"showtab = 1 ", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Line);
    Prepare(TFSVersion::fsv19, QByteArray("[Common]\nNumberOfModFolders=0\n") + c.Line + "\n");
    EXPECT_EQ(dm.GetFSShowTab(TFSVersion::fsv19), c.Shown);
  }
  dm.SetFSShowTab(TFSVersion::fsv19, false);
  EXPECT_EQ(Ini(TFSVersion::fsv19).ReadString(L("Common"), L("ShowTab"), {}), L("0"));
  dm.SetFSShowTab(TFSVersion::fsv19, true);
  EXPECT_TRUE(dm.GetFSShowTab(TFSVersion::fsv19));
}

TEST_F(ModFolderListTest, LoadReadsEveryFieldAndDefaults) {
  Prepare(TFSVersion::fsv22, "[Common]\r\nNumberOfModFolders=3\r\n"
                             "[ModFolder1]\r\nName=Server A\r\nFolder=/mods/a\r\n"
                             "DedicatedServerURL=http://10.0.0.1:8080/mods.html\r\n"
                             "StatsFeedURL=http://10.0.0.1:8080/feed/"
                             "dedicated-server-stats.xml?code=abc\r\n"
                             "WebUsername=admin\r\nWebPassword=pw\r\n"
                             "AutoUpdateFromDedicatedServer=0\r\nRemoveModsNotOnServer=0\r\n"
                             "GameNameFilter=Farm\r\nGamePassword=gp\r\n"
                             "[ModFolder2]\r\nName=Only a name\r\n");
  dm.LoadModFolders(TFSVersion::fsv22);
  ASSERT_EQ(dm.ModFolderList().size(), 3u);
  const TModFolder& a = *dm.ModFolderList()[0];
  EXPECT_EQ(a.Folder, L("/mods/a"));
  EXPECT_EQ(a.DedicatedServerURL, L("http://10.0.0.1:8080/mods.html"));
  EXPECT_EQ(a.StatsFeedURL, L("http://10.0.0.1:8080/feed/dedicated-server-stats.xml?code=abc"));
  EXPECT_EQ(a.WebUsername, L("admin"));
  EXPECT_EQ(a.WebPassword, L("pw"));
  EXPECT_FALSE(a.AutoUpdateFromDedicatedServer);
  EXPECT_FALSE(a.RemoveModsNotOnServer);
  EXPECT_EQ(a.GameNameFilter, L("Farm"));
  EXPECT_EQ(a.GamePassword, L("gp"));
  // Missing keys and a missing section give empty texts and both options on.
  for (size_t i : {1u, 2u}) {
    const TModFolder& f = *dm.ModFolderList()[i];
    EXPECT_EQ(f.Name, i == 1 ? L("Only a name") : QString());
    EXPECT_TRUE(f.Folder.isEmpty());
    EXPECT_TRUE(f.StatsFeedURL.isEmpty());
    EXPECT_TRUE(f.AutoUpdateFromDedicatedServer);
    EXPECT_TRUE(f.RemoveModsNotOnServer);
  }

  // Saved back: the feed goes right after the server's address, and an old
  // section without one gets an empty key.
  dm.SaveModFolders(TFSVersion::fsv22);
  TIniFile& ini = Ini(TFSVersion::fsv22);
  EXPECT_EQ(ini.ReadSectionKeys(L("ModFolder1")).mid(2, 3),
            QStringList({L("DedicatedServerURL"), L("StatsFeedURL"), L("WebUsername")}));
  EXPECT_EQ(ini.ReadString(L("ModFolder1"), L("StatsFeedURL"), {}),
            L("http://10.0.0.1:8080/feed/dedicated-server-stats.xml?code=abc"));
  EXPECT_TRUE(ini.ValueExists(L("ModFolder2"), L("StatsFeedURL")));
  EXPECT_EQ(ini.ReadString(L("ModFolder2"), L("StatsFeedURL"), L("missing")), QString());

  Prepare(TFSVersion::fsv22, "[Common]\nNumberOfModFolders=-4\n[ModFolder1]\nName=x\n");
  dm.LoadModFolders(TFSVersion::fsv22);
  EXPECT_TRUE(dm.ModFolderList().empty());
}

TEST_F(ModFolderListTest, LegacyKeys) {
  const QByteArray legacy = "[Common]\nNumberOfModFolders=3\n"
                            "[ModFolder1]\nName=One\nServerName=Local Farm\nServerPassword=old\n"
                            "[ModFolder2]\nName=Two\nServerPassword=old2\nGamePassword=new2\n"
                            "[ModFolder3]\nName=Three\nServerName=Legacy\nGameNameFilter=Current\n";
  Prepare(TFSVersion::fsv25, legacy);
  dm.LoadModFolders(TFSVersion::fsv25);
  const auto& list = dm.ModFolderList();
  EXPECT_EQ(list[0]->GameNameFilter, L("Local Farm"));
  EXPECT_EQ(list[0]->GamePassword, L("old"));
  EXPECT_EQ(list[1]->GamePassword, L("new2"));
  EXPECT_EQ(list[2]->GameNameFilter, L("Current"));

  TIniFile& ini = Ini(TFSVersion::fsv25);
  // The password moved; a section with both keeps both.
  EXPECT_EQ(ini.ReadString(L("ModFolder1"), L("GamePassword"), {}), L("old"));
  EXPECT_FALSE(ini.ValueExists(L("ModFolder1"), L("ServerPassword")));
  EXPECT_EQ(ini.ReadString(L("ModFolder2"), L("ServerPassword"), {}), L("old2"));
  // The name filter is only read: ServerName stays, GameNameFilter waits for a save.
  EXPECT_TRUE(ini.ValueExists(L("ModFolder1"), L("ServerName")));
  EXPECT_FALSE(ini.ValueExists(L("ModFolder1"), L("GameNameFilter")));

  // Clearing the filter writes an empty GameNameFilter; the legacy name comes back.
  list[0]->GameNameFilter.clear();
  dm.SaveModFolders(TFSVersion::fsv25);
  EXPECT_TRUE(ini.ValueExists(L("ModFolder1"), L("GameNameFilter")));
  EXPECT_EQ(ini.ReadString(L("ModFolder1"), L("ServerName"), {}), L("Local Farm"));
  dm.LoadModFolders(TFSVersion::fsv25);
  EXPECT_EQ(dm.ModFolderList()[0]->GameNameFilter, L("Local Farm"));
}

TEST_F(ModFolderListTest, SaveRenumbersAndErasesTheRest) {
  QByteArray five = "[Common]\nNumberOfModFolders=5\nShowTab=0\n";
  for (int i = 1; i <= 5; ++i)
    five += "[ModFolder" + QByteArray::number(i) + "]\nName=F" + QByteArray::number(i) + "\n";
  five += "[ModFolder999]\nName=stray\n[ModFolder1000]\nName=never looked at\n";
  Prepare(TFSVersion::fsv22, five);
  dm.LoadModFolders(TFSVersion::fsv22);
  dm.ModFolderList().erase(dm.ModFolderList().begin() + 1, dm.ModFolderList().begin() + 3);
  dm.SaveModFolders(TFSVersion::fsv22);

  TIniFile& ini = Ini(TFSVersion::fsv22);
  EXPECT_EQ(ini.ReadSections(), QStringList({L("Common"), L("ModFolder1"), L("ModFolder2"),
                                             L("ModFolder3"), L("ModFolder1000")}));
  EXPECT_EQ(ini.ReadString(L("Common"), L("ShowTab"), {}), L("0"));
  EXPECT_TRUE(env.Platform().IsHidden(IniPath(TFSVersion::fsv22).toStdString()));
  dm.LoadModFolders(TFSVersion::fsv22);
  EXPECT_EQ(Names(), QStringList({L("F1"), L("F4"), L("F5")}));

  dm.ModFolderList().clear();
  dm.SaveModFolders(TFSVersion::fsv22);
  EXPECT_EQ(ini.ReadString(L("Common"), L("NumberOfModFolders"), {}), L("0"));
  EXPECT_EQ(ini.ReadSections(), QStringList({L("Common"), L("ModFolder1000")}));
}

TEST_F(ModFolderListTest, Moves) {
  using Move = void (TdmMain::*)(TFSVersion, TModFolder*);
  struct Case {
    const char* Name;
    Move Operation;
    int Index;
    const char* Order; // after the move, also in the file
  };
  const Case cases[] = {
      {"first", &TdmMain::MoveToFirst, 2, "3,1,2,4,5"},
      {"up", &TdmMain::MoveUp, 2, "1,3,2,4,5"},
      {"down", &TdmMain::MoveDown, 2, "1,2,4,3,5"},
      {"last", &TdmMain::MoveToLast, 2, "1,2,4,5,3"},
      {"first of first", &TdmMain::MoveToFirst, 0, "1,2,3,4,5"},
      {"last of last", &TdmMain::MoveToLast, 4, "1,2,3,4,5"},
  };
  dm.LoadModFolders(TFSVersion::fsv19); // as the main window does before any change
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    dm.ModFolderList().clear();
    AddFolders({L("1"), L("2"), L("3"), L("4"), L("5")});
    dm.SaveModFolders(TFSVersion::fsv19);
    TModFolder* moved = dm.ModFolderList()[c.Index].get();
    (dm.*c.Operation)(TFSVersion::fsv19, moved);
    EXPECT_EQ(Names().join(QLatin1Char(',')), L(c.Order));
    dm.LoadModFolders(TFSVersion::fsv19);
    EXPECT_EQ(Names().join(QLatin1Char(',')), L(c.Order));
  }

  // Outside the callers' preconditions: an error, and neither list nor file change.
  dm.ModFolderList().clear();
  AddFolders({L("1"), L("2")});
  dm.SaveModFolders(TFSVersion::fsv19);
  const QByteArray before = ReadFile(IniPath(TFSVersion::fsv19));
  TModFolder stranger;
  const std::pair<Move, TModFolder*> refused[] = {
      {&TdmMain::MoveUp, dm.ModFolderList()[0].get()},
      {&TdmMain::MoveDown, dm.ModFolderList()[1].get()},
      {&TdmMain::MoveToFirst, &stranger},
  };
  for (const auto& [operation, folder] : refused) {
    try {
      (dm.*operation)(TFSVersion::fsv19, folder);
      ADD_FAILURE() << "no error";
    } catch (const EAppError& e) {
      EXPECT_EQ(e.Message(), L("Argument out of range"));
    }
    EXPECT_EQ(Names(), QStringList({L("1"), L("2")}));
    EXPECT_EQ(ReadFile(IniPath(TFSVersion::fsv19)), before);
  }
}

TEST_F(ModFolderListTest, DeleteWithAndWithoutTheFiles) {
  const QString mixed = env.PathOf(L("mods/mixed"));
  const QString zipsOnly = env.PathOf(L("mods/zips"));
  for (const char* name : {"a.zip", "b.zip", "readme.txt", "sub/c.zip"})
    WriteFile(mixed + L("/") + L(name), "x");
  for (const char* name : {"a.zip", "b.zip"})
    WriteFile(zipsOnly + L("/") + L(name), "x");

  dm.LoadModFolders(TFSVersion::fsv22);
  dm.ModFolderList().clear();
  AddFolders({L("mixed"), L("zips"), L("kept files"), L("default")});
  dm.ModFolderList()[0]->Folder = mixed;
  dm.ModFolderList()[1]->Folder = zipsOnly;
  dm.ModFolderList()[2]->Folder = zipsOnly;
  dm.SaveModFolders(TFSVersion::fsv22);

  // Without the option nothing on disk goes.
  dm.DeleteModFolder(TFSVersion::fsv22, dm.ModFolderList()[2].get(), false);
  EXPECT_EQ(QDir(zipsOnly).entryList(QDir::Files).size(), 2);

  dm.DeleteModFolder(TFSVersion::fsv22, dm.ModFolderList()[0].get(), true);
  EXPECT_EQ(QDir(mixed).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList({L("readme.txt"), L("sub")}));
  EXPECT_TRUE(QFile::exists(mixed + L("/sub/c.zip")));

  dm.DeleteModFolder(TFSVersion::fsv22, dm.ModFolderList()[0].get(), true);
  EXPECT_FALSE(QDir(zipsOnly).exists());

  // An empty folder means the game's own folder: the disk is never touched.
  const QString cwdZip = env.PathOf(L("a.zip"));
  WriteFile(cwdZip, "x");
  const QString previous = QDir::currentPath();
  QDir::setCurrent(env.Root());
  dm.DeleteModFolder(TFSVersion::fsv22, dm.ModFolderList()[0].get(), true);
  QDir::setCurrent(previous);
  EXPECT_TRUE(QFile::exists(cwdZip));

  EXPECT_TRUE(dm.ModFolderList().empty());
  dm.LoadModFolders(TFSVersion::fsv22);
  EXPECT_TRUE(dm.ModFolderList().empty());
}

} // namespace
} // namespace tilvane
