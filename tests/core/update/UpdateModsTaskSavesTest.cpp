#include "UpdateTaskFixture.h"

#include "core/update/FolderContents.h"

#include <QFileInfo>

#include <optional>

namespace tilvane::test {
namespace {

TSavegameMod Used(const QString& AName, bool ARequired = false) {
  TSavegameMod Mod;
  Mod.ModName = AName;
  Mod.Version = QStringLiteral("1.0.0.0");
  Mod.Required = ARequired;
  return Mod;
}

TSavegame SaveWith(const QList<TSavegameMod>& AMods) {
  TSavegame Save;
  Save.FolderName = QStringLiteral("savegame1");
  Save.Number = 1;
  Save.Mods = AMods;
  return Save;
}

// The server lists Map.zip only; the folder also holds FS22_Used.zip,
// FS22_Other.zip and FS22_Unused.zip, which the sync removes.
class SavegameRemovalTest : public UpdateModsTaskTest {
protected:
  SavegameRemovalTest() {
    Folder.RemoveModsNotOnServer = true;
    for (const char* Name : {"Map.zip", "FS22_Used.zip", "FS22_Other.zip", "FS22_Unused.zip"})
      MakeModArchive(Mod(QLatin1String(Name)), QStringLiteral("Tester"), Yes);
    Serve(TPageLayout::Table90, {{QStringLiteral("Map.zip")}});
  }
};

TEST_F(SavegameRemovalTest, AskedOnceOnlyWhenAPlayersSaveWouldLoseAMod) {
  const QString AskOne = QStringLiteral(
      "The server no longer lists 1 mods that your savegames use (FS22_Used). Keep them in this "
      "folder?");
  struct TCase {
    const char* What;
    std::vector<TSavegame> Saves;
    bool FolderMod; // a folder FS22_Used beside the archive
    std::optional<bool> Answer;
    QString Question; // empty: none asked
    QStringList Left;
    int Kept;
  };
  const QStringList AllKept{QStringLiteral("FS22_Used.zip"), QStringLiteral("Map.zip")};
  const QStringList NoneKept{QStringLiteral("Map.zip")};
  const TCase Cases[] = {
      {"a save on the game's own map, Yes",
       {SaveWith({Used(QStringLiteral("FS22_Used"))})},
       false,
       true,
       AskOne,
       AllKept,
       1},
      {"a save on the game's own map, No",
       {SaveWith({Used(QStringLiteral("FS22_Used"))})},
       false,
       false,
       AskOne,
       NoneKept,
       0},
      {"the mod name in another letter case",
       {SaveWith({Used(QStringLiteral("fs22_used"))})},
       false,
       true,
       AskOne,
       AllKept,
       1},
      {"two mods of two saves, named in order",
       {SaveWith({Used(QStringLiteral("FS22_Used"))}),
        SaveWith({Used(QStringLiteral("FS22_Other")), Used(QStringLiteral("FS22_Used"))})},
       false,
       true,
       QStringLiteral("The server no longer lists 2 mods that your savegames use (FS22_Other, "
                      "FS22_Used). Keep them in this folder?"),
       {QStringLiteral("FS22_Other.zip"), QStringLiteral("FS22_Used.zip"),
        QStringLiteral("Map.zip")},
       2},
      {"the save of the server's map is the server's own",
       {SaveWith({Used(QStringLiteral("Map"), true), Used(QStringLiteral("FS22_Used"))})},
       false,
       std::nullopt,
       QString(),
       NoneKept,
       0},
      {"a save on a map the server does not list is the player's",
       {SaveWith({Used(QStringLiteral("FS22_Unused"), true), Used(QStringLiteral("Map"))})},
       false,
       true,
       QStringLiteral("The server no longer lists 1 mods that your savegames use "
                      "(FS22_Unused). Keep them in this folder?"),
       {QStringLiteral("FS22_Unused.zip"), QStringLiteral("Map.zip")},
       1},
      {"a folder mod of the same name provides it",
       {SaveWith({Used(QStringLiteral("FS22_Used"))})},
       true,
       std::nullopt,
       QString(),
       NoneKept,
       0},
      {"a save that uses only listed mods",
       {SaveWith({Used(QStringLiteral("Map"))})},
       false,
       std::nullopt,
       QString(),
       NoneKept,
       0},
      {"no saves", {}, false, std::nullopt, QString(), NoneKept, 0},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    for (const char* Name : {"FS22_Used.zip", "FS22_Other.zip", "FS22_Unused.zip"})
      MakeModArchive(Mod(QLatin1String(Name)), QStringLiteral("Tester"), Yes);
    QDir(Mod(QStringLiteral("FS22_Used"))).removeRecursively();
    if (Case.FolderMod)
      WriteFile(Mod(QStringLiteral("FS22_Used/modDesc.xml")), "<modDesc/>");
    Env.Prompts().Clear();
    if (Case.Answer)
      *Case.Answer ? Env.Prompts().AnswerYes() : Env.Prompts().AnswerNo();

    Task = NewTask();
    Task->SetSavegames(Case.Saves);
    Task->UpdateModsTask();

    EXPECT_TRUE(Task->FinishedUpdating()) << Task->FinalMsg().toStdString();
    const QStringList Asked = Env.Prompts().Questions();
    EXPECT_EQ(Asked, Case.Question.isEmpty() ? QStringList() : QStringList{Case.Question});
    if (!Env.Prompts().History().empty()) {
      EXPECT_TRUE(Env.Prompts().History().front().YesIsDefault);
    }
    QStringList Left = ZipFilesIn(Folder.Folder);
    for (QString& Path : Left)
      Path = QFileInfo(Path).fileName();
    Left.sort();
    EXPECT_EQ(Left, Case.Left);
    EXPECT_EQ(Task->Kept(), Case.Kept);
  }
}

TEST_F(SavegameRemovalTest, TheSavesAreReadFromTheGamesFolderByTheTask) {
  // An FS22 save as the game writes it, on the game's own map.
  WriteFile(Env.PathOf(QStringLiteral("MyGames/savegame3/careerSavegame.xml")),
            R"(<?xml version="1.0" encoding="utf-8" standalone="no"?>
<careerSavegame revision="2" valid="true">
    <settings><savegameName>Farm</savegameName><mapId>MapEU</mapId><mapTitle>Erlengrat</mapTitle></settings>
    <mod modName="FS22_Other" title="Other" version="1.0.0.0" required="false" fileHash="0123456789abcdef0123456789abcdef"/>
</careerSavegame>
)");
  // A damaged save beside it stops nothing.
  WriteFile(Env.PathOf(QStringLiteral("MyGames/savegame4/careerSavegame.xml")), "<career");
  Env.Prompts().AnswerYes();
  Task = NewTask();
  Task->SetSavegamesFolder(Env.PathOf(QStringLiteral("MyGames")));
  Task->UpdateModsTask();
  EXPECT_TRUE(Task->FinishedUpdating()) << Task->FinalMsg().toStdString();
  EXPECT_EQ(Env.Prompts().Questions(),
            QStringList{QStringLiteral("The server no longer lists 1 mods that your savegames use "
                                       "(FS22_Other). Keep them in this folder?")});
  EXPECT_TRUE(QFile::exists(Mod(QStringLiteral("FS22_Other.zip"))));
  EXPECT_FALSE(QFile::exists(Mod(QStringLiteral("FS22_Used.zip"))));
}

} // namespace
} // namespace tilvane::test
