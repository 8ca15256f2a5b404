#include "gui/savegames/SavegamesFM.h"

#include "core/savegames/SavegameReader.h"
#include "core/savegames/SavegamesReport.h"
#include "core/update/ArchiveFactsCache.h"
#include "support/TestEnvironment.h"
#include "support/UpdateTestSupport.h"
#include "support/WidgetChild.h"

#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

// Each top-level line, then its lines indented by two blanks.
QStringList TreeLines(const QTreeWidget& ATree) {
  QStringList Lines;
  for (int I = 0; I < ATree.topLevelItemCount(); ++I) {
    const QTreeWidgetItem* Item = ATree.topLevelItem(I);
    Lines.append(Item->text(0));
    for (int J = 0; J < Item->childCount(); ++J)
      Lines.append(QStringLiteral("  ") + Item->child(J)->text(0));
  }
  return Lines;
}

TEST(SavegamesWindowTest, EachSaveWithItsMapAndWhatTheFolderLacks) {
  TestEnvironment Env;
  const QString Mods = Env.PathOf(QStringLiteral("mods"));
  MakeModArchive(Mods + QStringLiteral("/FS22_HofBergmann.zip"), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  MakeModArchive(Mods + QStringLiteral("/FS22_Tractor.zip"), QStringLiteral("Tester"),
                 QStringLiteral("1.0.0.0"));
  const QString Games = Env.PathOf(QStringLiteral("MyGames"));
  WriteFile(Games + QStringLiteral("/savegame1/careerSavegame.xml"),
            R"(<?xml version="1.0" encoding="utf-8" standalone="no"?>
<careerSavegame revision="2" valid="true">
    <settings><savegameName>Hof Bergmann</savegameName><mapId>FS22_HofBergmann.SampleModMap</mapId><mapTitle>Hof Bergmann</mapTitle></settings>
    <mod modName="FS22_HofBergmann" title="Hof Bergmann" version="1.0.0.2" required="true" fileHash=""/>
    <mod modName="FS22_Tractor" title="Tractor" version="2.0.0.0" required="false" fileHash="00000000000000000000000000000000"/>
    <mod modName="FS22_Trailer" title="Trailer" version="1.1.0.0" required="false" fileHash="nil"/>
</careerSavegame>
)");
  WriteFile(Games + QStringLiteral("/savegame2/careerSavegame.xml"),
            R"(<?xml version="1.0" encoding="utf-8" standalone="no"?>
<careerSavegame revision="2" valid="true">
    <settings><savegameName>Erlengrat</savegameName><mapId>MapEU</mapId><mapTitle>Erlengrat</mapTitle></settings>
    <mod modName="FS22_HofBergmann" title="Hof Bergmann" version="1.0.0.2" required="false"/>
</careerSavegame>
)");
  WriteFile(Games + QStringLiteral("/savegame3/careerSavegame.xml"), "<careerSavegame>");

  TSavegamesReport Report;
  Report.MyGamesFolder = Games;
  TSavegameReading Reading = ReadSavegames(Games);
  Report.Skipped = Reading.Skipped;
  Report.Needs =
      TFolderSavegames(Mods,
                       TArchiveFactsCache::CacheFileFor(Env.PathOf(QStringLiteral("state")), Mods))
          .Match(Reading.Saves);

  TfmSavegames Window(nullptr, QStringLiteral("Hof Bergmann server"), Report);
  Window.show();
  EXPECT_EQ(Window.objectName(), QStringLiteral("fmSavegames"));
  EXPECT_EQ(TreeLines(Child<QTreeWidget>(Window, "tvSavegames")),
            (QStringList{
                QStringLiteral("savegame1: Hof Bergmann, map Hof Bergmann"),
                QStringLiteral("  FS22_Trailer 1.1.0.0: not in this folder"),
                QStringLiteral("  FS22_Tractor 2.0.0.0: another version in this folder"),
                QStringLiteral("savegame2: Erlengrat, map Erlengrat"),
                QStringLiteral("  Every mod this savegame needs is in this folder."),
                QStringLiteral("savegame3: careerSavegame.xml is damaged: Start-end tags mismatch"),
            }));
  Child<QPushButton>(Window, "btnClose").click();
  EXPECT_FALSE(Window.isVisible());
  EXPECT_EQ(Window.result(), QDialog::Accepted);

  // Nowhere a save: the window says where it looked.
  TSavegamesReport None;
  None.MyGamesFolder = Env.PathOf(QStringLiteral("Empty"));
  TfmSavegames Empty(nullptr, QStringLiteral("Default"), None);
  EXPECT_EQ(TreeLines(Child<QTreeWidget>(Empty, "tvSavegames")),
            QStringList{QStringLiteral("No savegames in ") + None.MyGamesFolder + u'.'});
}

} // namespace
} // namespace tilvane::test
