#include "core/savegames/SavegameReader.h"

#include "support/TestEnvironment.h"

#include <QDir>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

// The three generations write the same <mod> element; what surrounds it
// differs, and so does where the map's name comes from.
const char* const FS19Career = R"(<?xml version="1.0" encoding="utf-8" standalone="no" ?>
<careerSavegame revision="2" valid="true">
    <settings>
        <savegameName>Ravenport dairy</savegameName>
        <creationDate>2020-11-03</creationDate>
        <mapId>MapUS</mapId>
        <mapTitle>Ravenport</mapTitle>
        <saveDateFormatted>2021-02-14</saveDateFormatted>
    </settings>
    <map><foundHelpIcons>0000</foundHelpIcons></map>
    <mod modName="FS19_Cows &amp; Co" title="Cows &amp; Co" version="1.2.0.0" required="false" fileHash="0123456789ABCDEF0123456789abcdef"/>
    <mod modName="pdlc_claasPack" title="CLAAS Pack" version="1.0.0.0" required="false" fileHash="nil"/>
</careerSavegame>
)";

const char* const FS22Career = R"(<?xml version="1.0" encoding="utf-8" standalone="no"?>
<careerSavegame revision="2" valid="true">
    <settings>
        <savegameName>Hof Bergmann</savegameName>
        <mapId>FS22_HofBergmann.SampleModMap</mapId>
        <mapTitle>Hof Bergmann</mapTitle>
    </settings>
    <statistics><money>1000000</money></statistics>
    <mod modName="FS22_HofBergmann" title="Hof Bergmann" version="1.0.0.2" required="true" fileHash="5cf63c52aa19c7e1f0b7d7a1e3c04b9d"/>
    <mod modName="FS22_FolderMod" title="Folder Mod" version="0.9.0.0" required="false" fileHash=""/>
    <mod modName="FS22_OldMod" title="Old Mod" version="1.0.0.0" fileHash="nil"/>
    <mod title="No name" version="1.0.0.0" required="false"/>
</careerSavegame>
)";

const char* const FS25Career = R"(<?xml version="1.0" encoding="utf-8" standalone="no"?>
<careerSavegame revision="2" valid="true">
    <settings>
        <savegameName>Riverbend</savegameName>
        <mapId>FS25_Riverbend.Riverbend</mapId>
        <mapTitle>Riverbend Springs</mapTitle>
        <mapsSplitShapeFileIds count="1"><id id="0" splitShapesFileId="1"/></mapsSplitShapeFileIds>
    </settings>
    <mod modName="FS25_Riverbend" title="Riverbend Springs" version="1.1.0.0" required="true" fileHash="ffffffffffffffffffffffffffffffff"/>
</careerSavegame>
)";

class SavegameReaderTest : public ::testing::Test {
protected:
  void WriteCareer(int ANumber, const QByteArray& AXml) {
    WriteFile(Env.PathOf(QStringLiteral("MyGames/savegame%1/careerSavegame.xml").arg(ANumber)),
              AXml);
  }
  TestEnvironment Env;
};

TEST_F(SavegameReaderTest, EachGenerationsFormReadsItsMapAndMods) {
  WriteCareer(1, FS19Career);
  WriteCareer(2, FS22Career);
  WriteCareer(20, FS25Career);
  const TSavegameReading Reading = ReadSavegames(Env.PathOf(QStringLiteral("MyGames")));
  EXPECT_TRUE(Reading.Skipped.isEmpty()) << Reading.Skipped.join(u'\n').toStdString();
  ASSERT_EQ(Reading.Saves.size(), 3u);

  struct TExpectedSave {
    const char* FolderName;
    int Number;
    const char* SavegameName;
    const char* MapTitle;
    const char* MapModName;
    int Mods;
  };
  const TExpectedSave Expected[] = {
      {"savegame1", 1, "Ravenport dairy", "Ravenport", "", 2},
      {"savegame2", 2, "Hof Bergmann", "Hof Bergmann", "FS22_HofBergmann", 3},
      {"savegame20", 20, "Riverbend", "Riverbend Springs", "FS25_Riverbend", 1},
  };
  for (size_t I = 0; I < 3; ++I) {
    const TSavegame& Save = Reading.Saves[I];
    SCOPED_TRACE(Expected[I].FolderName);
    EXPECT_EQ(Save.FolderName, QLatin1String(Expected[I].FolderName));
    EXPECT_EQ(Save.Number, Expected[I].Number);
    EXPECT_EQ(Save.SavegameName, QLatin1String(Expected[I].SavegameName));
    EXPECT_EQ(Save.MapTitle, QLatin1String(Expected[I].MapTitle));
    EXPECT_EQ(Save.MapModName(), QLatin1String(Expected[I].MapModName));
    EXPECT_EQ(Save.Mods.size(), Expected[I].Mods);
  }
}

TEST_F(SavegameReaderTest, ModFields) {
  WriteCareer(1, FS19Career);
  WriteCareer(2, FS22Career);
  const TSavegameReading Reading = ReadSavegames(Env.PathOf(QStringLiteral("MyGames")));
  ASSERT_EQ(Reading.Saves.size(), 2u);
  struct TExpectedMod {
    const char* ModName;
    const char* Title;
    const char* Version;
    bool Required;
    const char* FileHash;
  };
  const TExpectedMod Expected[] = {
      // Entities decoded, the hash in the lowercase the game compares.
      {"FS19_Cows & Co", "Cows & Co", "1.2.0.0", false, "0123456789abcdef0123456789abcdef"},
      {"pdlc_claasPack", "CLAAS Pack", "1.0.0.0", false, ""},
      {"FS22_HofBergmann", "Hof Bergmann", "1.0.0.2", true, "5cf63c52aa19c7e1f0b7d7a1e3c04b9d"},
      // A folder mod: no hash, whether "" or "nil".
      {"FS22_FolderMod", "Folder Mod", "0.9.0.0", false, ""},
      // No required attribute: required, as the game reads it.
      {"FS22_OldMod", "Old Mod", "1.0.0.0", true, ""},
  };
  QList<TSavegameMod> Mods = Reading.Saves[0].Mods + Reading.Saves[1].Mods;
  ASSERT_EQ(Mods.size(), 5);
  for (int I = 0; I < 5; ++I) {
    SCOPED_TRACE(Expected[I].ModName);
    EXPECT_EQ(Mods[I].ModName, QString::fromUtf8(Expected[I].ModName));
    EXPECT_EQ(Mods[I].Title, QString::fromUtf8(Expected[I].Title));
    EXPECT_EQ(Mods[I].Version, QLatin1String(Expected[I].Version));
    EXPECT_EQ(Mods[I].Required, Expected[I].Required);
    EXPECT_EQ(Mods[I].FileHash, QLatin1String(Expected[I].FileHash));
  }
}

TEST_F(SavegameReaderTest, ADamagedSaveIsSkippedWithItsReasonAndTheOthersStillRead) {
  WriteCareer(1, FS22Career);
  // Cut off while the game was writing it.
  WriteCareer(2, QByteArray(FS22Career).left(300));
  WriteCareer(3, "<?xml version=\"1.0\"?><gameSettings revision=\"1\"/>");
  WriteCareer(4, "");
  WriteCareer(5, FS25Career);
  // Not a save: no career file, a slot the game does not have, a stray file.
  QDir().mkpath(Env.PathOf(QStringLiteral("MyGames/savegame6")));
  WriteCareer(21, FS22Career);
  WriteFile(Env.PathOf(QStringLiteral("MyGames/savegame7")), FS22Career);

  const TSavegameReading Reading = ReadSavegames(Env.PathOf(QStringLiteral("MyGames")));
  ASSERT_EQ(Reading.Saves.size(), 2u);
  EXPECT_EQ(Reading.Saves[0].FolderName, QStringLiteral("savegame1"));
  EXPECT_EQ(Reading.Saves[1].FolderName, QStringLiteral("savegame5"));
  EXPECT_EQ(Reading.Skipped,
            (QStringList{QStringLiteral("savegame2: careerSavegame.xml is damaged: "
                                        "Start-end tags mismatch"),
                         QStringLiteral("savegame3: careerSavegame.xml is not a savegame."),
                         QStringLiteral("savegame4: careerSavegame.xml is damaged: "
                                        "No document element found")}));
}

TEST_F(SavegameReaderTest, NoFolderNoSaves) {
  EXPECT_TRUE(ReadSavegames(Env.PathOf(QStringLiteral("missing"))).Saves.empty());
  EXPECT_TRUE(ReadSavegames(QString()).Saves.empty());
}

} // namespace
} // namespace tilvane::test
