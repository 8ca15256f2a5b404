#include "DiskSandbox.h"
#include "UpdateTaskFixture.h"

#include <QFile>

namespace tilvane::test {
namespace {

// A file of ABytes zero bytes: room taken on a drive, no archive to the game.
void WriteFiller(const QString& APath, qint64 ABytes) {
  QFile File(APath);
  ASSERT_TRUE(File.open(QIODevice::WriteOnly));
  const QByteArray Block(1024 * 1024, '\0');
  for (qint64 Left = ABytes; Left > 0; Left -= Block.size())
    ASSERT_EQ(File.write(Block.constData(), std::min<qint64>(Left, Block.size())),
              std::min<qint64>(Left, Block.size()));
}

struct TMassRemovalCase {
  const char* Name;
  int Unlisted; // junk archives the server does not list
  int Listed;   // current archives it lists
  bool ReDownloadAll;
  const char* Question; // empty: none asked
  bool Answer;
  int TrashedAfter;
  int KeptAfter;
};

class MassRemovalTest : public UpdateModsTaskTest,
                        public ::testing::WithParamInterface<TMassRemovalCase> {};

TEST_P(MassRemovalTest, AskedOnlyAboveBothThresholds) {
  const TMassRemovalCase& Case = GetParam();
  Folder.RemoveModsNotOnServer = true;
  std::vector<TPageRow> Rows;
  for (int I = 0; I < Case.Listed; ++I) {
    const QString Name = QStringLiteral("Listed%1.zip").arg(I);
    Rows.push_back({Name});
    MakeModArchive(Mod(Name), QStringLiteral("Tester"), Yes);
  }
  Rows.push_back({QStringLiteral("New.zip")});
  for (int I = 0; I < Case.Unlisted; ++I)
    WriteFile(Mod(QStringLiteral("Other%1.zip").arg(I)), "other");
  Serve(TPageLayout::Grid100, Rows);
  if (*Case.Question)
    Case.Answer ? Env.Prompts().AnswerYes() : Env.Prompts().AnswerNo();

  EXPECT_TRUE(Run(Case.ReDownloadAll)) << Task->FinalMsg().toStdString();

  const QStringList Questions = Env.Prompts().Questions();
  if (*Case.Question) {
    ASSERT_EQ(Questions, QStringList{QString::fromUtf8(Case.Question)});
    EXPECT_FALSE(Env.Prompts().History().back().YesIsDefault);
  } else {
    EXPECT_TRUE(Questions.isEmpty()) << Questions.join(u'|').toStdString();
  }
  EXPECT_EQ(Task->MovedToTrash(), Case.TrashedAfter);
  EXPECT_EQ(Task->Kept(), Case.KeptAfter);
  // The downloads go on whatever the answer.
  EXPECT_TRUE(QFile::exists(Mod(QStringLiteral("New.zip"))));
  EXPECT_EQ(QFile::exists(Mod(QStringLiteral("Other0.zip"))), Case.KeptAfter > 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sync, MassRemovalTest,
    ::testing::Values(
        TMassRemovalCase{"MostOfTheFolderKept", 190, 10, false,
                         "The server does not list 190 of the 200 mod archives in this folder. "
                         "Move them to the trash?",
                         false, 0, 190},
        TMassRemovalCase{"MostOfTheFolderTrashed", 12, 2, false,
                         "The server does not list 12 of the 14 mod archives in this folder. "
                         "Move them to the trash?",
                         true, 12, 0},
        TMassRemovalCase{"ReDownloadAllAsksToo", 11, 0, true,
                         "The server does not list 11 of the 11 mod archives in this folder. "
                         "Move them to the trash?",
                         false, 0, 11},
        TMassRemovalCase{"TenAreNoMass", 10, 0, false, "", false, 10, 0},
        // 11 of 44 is exactly a quarter.
        TMassRemovalCase{"AQuarterIsNoMass", 11, 33, false, "", false, 11, 0},
        TMassRemovalCase{"JustOverAQuarter", 11, 32, false,
                         "The server does not list 11 of the 43 mod archives in this folder. "
                         "Move them to the trash?",
                         false, 0, 11}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

TEST(DiskSizeText, OneDecimalInGigabytesFromOneGigabyteElseMegabytes) {
  const struct {
    qint64 Bytes;
    const char* Text;
  } Cases[] = {
      {0, "0.0 MB"},
      {891289600, "850.0 MB"},   // 850 MiB
      {1073636966, "1023.9 MB"}, // just under 1 GiB
      {1073741824, "1.0 GB"},
      {3435973837, "3.2 GB"},
      {1181116006, "1.1 GB"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(FormatDiskSize(Case.Bytes), QString::fromUtf8(Case.Text)) << Case.Bytes;
}

struct TSpaceCase {
  const char* Name;
  const char* DriveSize;
  qint64 OldArchiveBytes; // A.zip already there (junk, so outdated); 0: none
  std::vector<std::pair<const char*, const char*>> Rows; // file name, page size in MB
  const char* Message; // "%1" stands for the mod folder; empty: the sync goes through
};

class FreeSpaceTest : public UpdateModsTaskTest,
                      public ::testing::WithParamInterface<TSpaceCase> {};

TEST_P(FreeSpaceTest, TheSyncStopsBeforeChangingAnythingWhenTheDriveCannotTakeIt) {
  const TSpaceCase& Case = GetParam();
  TDiskSandbox Drive(Env.PathOf(QStringLiteral("drive")), QString::fromUtf8(Case.DriveSize));
  if (!Drive.Mounted())
    GTEST_SKIP() << "no right to mount a tmpfs here";
  Folder.Folder = Env.PathOf(QStringLiteral("drive/mods"));
  Folder.RemoveModsNotOnServer = true;
  QDir().mkpath(Folder.Folder);
  if (Case.OldArchiveBytes > 0)
    WriteFiller(Mod(QStringLiteral("A.zip")), Case.OldArchiveBytes);
  WriteFile(Mod(QStringLiteral("Stray.zip")), "not on the server");
  std::vector<TPageRow> Rows;
  for (const auto& [File, Size] : Case.Rows) {
    TPageRow Row{QString::fromUtf8(File)};
    Row.SizeMB = QString::fromUtf8(Size);
    Rows.push_back(Row);
  }
  Serve(TPageLayout::Grid100, Rows);
  const auto Before = Contents();

  const bool Finished = Run();

  if (!*Case.Message) {
    EXPECT_TRUE(Finished) << Task->FinalMsg().toStdString();
    EXPECT_FALSE(QFile::exists(Mod(QStringLiteral("Stray.zip"))));
    return;
  }
  EXPECT_FALSE(Finished);
  EXPECT_EQ(Task->FinalMsg(), QString::fromUtf8(Case.Message).arg(Folder.Folder));
  EXPECT_EQ(Server.Requests("/mods/"), 0);
  EXPECT_EQ(Contents(), Before); // nothing removed, nothing replaced
  EXPECT_EQ(Task->MovedToTrash(), 0);
}

constexpr qint64 MiB = 1024 * 1024;

INSTANTIATE_TEST_SUITE_P(
    Sync, FreeSpaceTest,
    ::testing::Values(
        TSpaceCase{"TwoNewArchivesInMegabytes",
                   "100m",
                   0,
                   {{"New1.zip", "60.00"}, {"New2.zip", "60.00"}},
                   "The mods to download need 130.0 MB; the drive of %1 has 100.0 MB free."},
        TSpaceCase{"InGigabytes",
                   "1g",
                   0,
                   {{"Big.zip", "1500.00"}},
                   "The mods to download need 1.5 GB; the drive of %1 has 1.0 GB free."},
        // The old 40 MB stay until their 55 MB replacement is complete.
        TSpaceCase{"AReplacementNeedsItsWholeNewSize",
                   "100m",
                   40 * MiB,
                   {{"A.zip", "55.00"}},
                   "The mods to download need 65.0 MB; the drive of %1 has 60.0 MB free."},
        // 45 MB while the old 40 stay, then the old go: 10 more fit. Their sum
        // and the margin (65 MB) would not.
        TSpaceCase{"WhatAReplacementFreesServesTheNext",
                   "100m",
                   40 * MiB,
                   {{"A.zip", "45.00"}, {"B.zip", "10.00"}},
                   ""},
        TSpaceCase{"ItFits", "100m", 0, {{"New1.zip", "80.00"}}, ""}),
    [](const auto& AInfo) { return std::string(AInfo.param.Name); });

} // namespace
} // namespace tilvane::test
