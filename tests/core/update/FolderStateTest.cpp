// The facts under a mod folder's button: the texts, the sync record, the
// check that only compares, and the model that gathers them on workers.
#include "UpdateTaskFixture.h"

#include "core/update/FolderContents.h"
#include "core/update/FolderStateModel.h"
#include "core/update/FolderStateText.h"
#include "core/update/ModFolderKey.h"
#include "core/update/SyncRecord.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDirIterator>
#include <QElapsedTimer>

namespace tilvane::test {

namespace {

const QDateTime Now = QDateTime(QDate(2025, 3, 14), QTime(15, 0, 0), Qt::UTC);

TSyncRecord RecordOf(TSyncRecord::TKind AKind, int ADownload, int ARemove, int ASecondsAgo) {
  TSyncRecord Result;
  Result.Kind = AKind;
  Result.ToDownload = ADownload;
  Result.ToRemove = ARemove;
  Result.When = Now.addSecs(-ASecondsAgo);
  return Result;
}

// Every file below AFolder with its bytes, but the folders named in AExcept.
std::map<QString, QByteArray> Snapshot(const QString& AFolder, const QStringList& AExcept = {}) {
  std::map<QString, QByteArray> Result;
  QDirIterator It(AFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (It.hasNext()) {
    const QString Path = It.next();
    const QString Relative = QDir(AFolder).relativeFilePath(Path);
    if (!AExcept.contains(Relative.section(u'/', 0, 0)))
      Result[Relative] = ReadFile(Path);
  }
  return Result;
}

bool WaitUntil(const std::function<bool()>& ADone, int AMilliseconds = 10000) {
  QElapsedTimer Timer;
  Timer.start();
  while (!ADone()) {
    if (Timer.elapsed() > AMilliseconds)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

} // namespace

TEST(FolderStateText, ContentsInTheUnitsAPlayerReads) {
  const struct {
    TFolderContents Contents;
    const char* Text;
  } Cases[] = {
      {{0, 0}, "No mods"},
      {{1, 100}, "1 mod, 1 KB"},
      {{2, 2048}, "2 mods, 2 KB"},
      {{3, 5 * 1024 * 1024 + 300 * 1024}, "3 mods, 5 MB"},
      {{5, 1023LL * 1024 * 1024}, "5 mods, 1023 MB"},
      {{42, 3650722202LL}, "42 mods, 3.4 GB"},
      {{300, 1024LL * 1024 * 1024 * 120}, "300 mods, 120.0 GB"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(FolderContentsText(Case.Contents).toStdString(), Case.Text);
}

TEST(FolderStateText, EachResultOfTheLastSync) {
  using TKind = TSyncRecord::TKind;
  const struct {
    TSyncRecord Record;
    const char* Text;
  } Cases[] = {
      {RecordOf(TKind::InLine, 0, 0, 12 * 60 + 30), "In line with the server, 12 min ago"},
      {RecordOf(TKind::InLine, 0, 0, 20), "In line with the server, just now"},
      {RecordOf(TKind::Pending, 3, 1, 60), "3 to download, 1 to remove"},
      {RecordOf(TKind::Pending, 2, 0, 60), "2 to download"},
      {RecordOf(TKind::Pending, 0, 4, 60), "4 to remove"},
      {RecordOf(TKind::NoAnswer, 0, 0, 60), "Server did not answer"},
      {RecordOf(TKind::Failed, 0, 0, 2 * 3600 + 59 * 60), "Last sync failed, 2 h ago"},
      {RecordOf(TKind::Failed, 0, 0, 26 * 3600), "Last sync failed, 1 day ago"},
      {RecordOf(TKind::Cancelled, 0, 0, 5 * 86400), "Last sync cancelled, 5 days ago"},
      // A clock set back is no negative age.
      {RecordOf(TKind::InLine, 0, 0, -600), "In line with the server, just now"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(SyncRecordText(Case.Record, Now).toStdString(), Case.Text);
}

TEST(FolderStateText, TheLineJoinsWhatIsKnown) {
  const TSyncRecord InLine = RecordOf(TSyncRecord::TKind::InLine, 0, 0, 12 * 60);
  const TFolderContents Contents{42, 3650722202LL};
  EXPECT_EQ(FolderStateText(Contents, InLine, Now),
            QString::fromUtf8("42 mods, 3.4 GB \u00b7 In line with the server, 12 min ago"));
  EXPECT_EQ(FolderStateText(Contents, std::nullopt, Now), QStringLiteral("42 mods, 3.4 GB"));
  EXPECT_EQ(FolderStateText(std::nullopt, std::nullopt, Now), QString());
}

TEST(SyncRecord, KeptPerFolderAndDamagedFilesReadAsNone) {
  TestEnvironment Env;
  const QString State = Env.PathOf(QStringLiteral("State"));
  const QString Folder = Env.PathOf(QStringLiteral("mods"));
  EXPECT_FALSE(TSyncRecord::Load(State, Folder));

  TSyncRecord::Save(State, Folder, RecordOf(TSyncRecord::TKind::Pending, 3, 1, 0));
  const std::optional<TSyncRecord> Read = TSyncRecord::Load(State, Folder + u'/');
  ASSERT_TRUE(Read);
  EXPECT_EQ(Read->Kind, TSyncRecord::TKind::Pending);
  EXPECT_EQ(Read->ToDownload, 3);
  EXPECT_EQ(Read->ToRemove, 1);
  EXPECT_EQ(Read->When, Now);
  EXPECT_FALSE(TSyncRecord::Load(State, Env.PathOf(QStringLiteral("other"))));
  // Beside the folder's archive facts.
  EXPECT_EQ(QFileInfo(TSyncRecord::FileFor(State, Folder)).path(),
            State + QStringLiteral("/ModFolders"));

  const QString File = TSyncRecord::FileFor(State, Folder);
  const QByteArray Good = ReadFile(File);
  const QByteArray Damaged[] = {
      "",
      "{",
      "[]",
      Good.left(Good.size() / 2),
      QByteArray(Good).replace("pending", "perhaps"),
      QByteArray(Good).replace("tilvane-sync-record", "something-else"),
      QByteArray(Good).replace("\"toDownload\": 3", "\"toDownload\": -3"),
      QByteArray(Good).replace("2025-03-14", "yesterday"),
  };
  for (const QByteArray& Content : Damaged) {
    SCOPED_TRACE(Content.toStdString());
    WriteFile(File, Content);
    EXPECT_FALSE(TSyncRecord::Load(State, Folder));
  }
}

// A folder with one current archive, one outdated, one the server does not
// list; the server lists a fourth the folder lacks.
class FolderCheckTest : public UpdateModsTaskTest {
protected:
  FolderCheckTest() {
    Folder.RemoveModsNotOnServer = true;
    MakeModArchive(Mod(QStringLiteral("Same.zip")), QStringLiteral("Tester"), Yes);
    MakeModArchive(Mod(QStringLiteral("Old.zip")), QStringLiteral("Tester"), Yes);
    MakeModArchive(Mod(QStringLiteral("Stray.zip")), QStringLiteral("Tester"), Yes);
    Serve(TPageLayout::Grid100,
          {{QStringLiteral("Same.zip")},
           {QStringLiteral("Old.zip"), QStringLiteral("Tester"), QStringLiteral("1.1.0.0")},
           {QStringLiteral("New.zip")}});
  }

  QString State() const { return Env.PathOf(QStringLiteral("State")); }

  std::unique_ptr<TFolderStateModel> NewModel(std::function<bool(TFSVersion)> AGameRunning = {}) {
    TFolderStateModel::TSetup Setup;
    Setup.StateFolder = State();
    Setup.TempFolder = Env.PathOf(QStringLiteral("Temp"));
    Setup.CreateServerURL = &TestServerURL;
    Setup.GameRunning = std::move(AGameRunning);
    Setup.ConnectionTimeoutMs = 2000;
    Setup.PageDeadlineMs = 1500;
    return std::make_unique<TFolderStateModel>(Setup);
  }
};

TEST_F(FolderCheckTest, ACheckCountsWhatASyncWouldDoAndChangesNothing) {
  const auto Before = Snapshot(Env.Root(), {QStringLiteral("State"), QStringLiteral("Temp")});
  Task = NewTask();
  Task->SetStateFolder(State());
  Task->SetPreviewOnly(true);
  Task->UpdateModsTask();

  ASSERT_TRUE(Task->Record());
  EXPECT_EQ(Task->Record()->Kind, TSyncRecord::TKind::Pending);
  EXPECT_EQ(Task->Record()->ToDownload, 2);
  EXPECT_EQ(Task->Record()->ToRemove, 1);
  const std::optional<TSyncRecord> Kept = TSyncRecord::Load(State(), Folder.Folder);
  ASSERT_TRUE(Kept);
  EXPECT_EQ(Kept->ToDownload, 2);
  EXPECT_EQ(Kept->ToRemove, 1);
  // Nothing downloaded, removed or written outside the program's state.
  EXPECT_EQ(Server.Requests("/mods/"), 0);
  EXPECT_EQ(Snapshot(Env.Root(), {QStringLiteral("State"), QStringLiteral("Temp")}), Before);
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
  EXPECT_FALSE(QFileInfo::exists(State() + QStringLiteral("/ModFolders/") +
                                 ModFolderKey(Folder.Folder) + QStringLiteral(".lock")));
}

TEST_F(FolderCheckTest, ASyncRecordsItsEnd) {
  Task = NewTask();
  Task->SetStateFolder(State());
  Task->UpdateModsTask();
  ASSERT_TRUE(Task->FinishedUpdating()) << Task->FinalMsg().toStdString();
  const std::optional<TSyncRecord> Synced = TSyncRecord::Load(State(), Folder.Folder);
  ASSERT_TRUE(Synced);
  EXPECT_EQ(Synced->Kind, TSyncRecord::TKind::InLine);
  EXPECT_LT(Synced->When.secsTo(QDateTime::currentDateTimeUtc()), 60);

  // The folder is in line now: a check finds nothing to do.
  Task = NewTask();
  Task->SetStateFolder(State());
  Task->SetPreviewOnly(true);
  Task->UpdateModsTask();
  ASSERT_TRUE(Task->Record());
  EXPECT_EQ(Task->Record()->Kind, TSyncRecord::TKind::InLine);

  // A server that stopped answering.
  Server.SetPageSilent(true);
  Task = NewTask();
  Task->SetStateFolder(State());
  Task->Client().SetTotalTimeout(500);
  Task->UpdateModsTask();
  EXPECT_FALSE(Task->FinishedUpdating());
  EXPECT_EQ(TSyncRecord::Load(State(), Folder.Folder)->Kind, TSyncRecord::TKind::NoAnswer);
}

TEST_F(FolderCheckTest, TheModelShowsEachFolderAsTheAnswersArrive) {
  TModFolder Plain;
  Plain.Name = QStringLiteral("Plain");
  Plain.Folder = Env.PathOf(QStringLiteral("plain"));
  WriteFile(Plain.Folder + QStringLiteral("/a.zip"), QByteArray(1024 * 1024, 'a'));
  WriteFile(Plain.Folder + QStringLiteral("/b.ZIP"), QByteArray(1024 * 1024 + 512 * 1024, 'b'));
  WriteFile(Plain.Folder + QStringLiteral("/notes.txt"), QByteArray(4096, 'n'));
  WriteFile(Plain.Folder + QStringLiteral("/sub/c.zip"), QByteArray(4096, 'c'));

  auto Model = NewModel();
  QStringList Changed;
  QObject::connect(Model.get(), &TFolderStateModel::Changed,
                   [&Changed](const QString& AFolder) { Changed.append(AFolder); });
  Model->Survey({Folder, Plain}, Generation);
  // Nothing is known before the workers answer; the window never waits.
  EXPECT_EQ(Model->Text(Folder.Folder), QString());
  ASSERT_TRUE(WaitUntil([&] { return !Model->Busy(Folder.Folder) && !Model->Busy(Plain.Folder); }));

  EXPECT_EQ(Model->Text(Plain.Folder), QStringLiteral("2 mods, 3 MB"));
  EXPECT_EQ(Model->Contents(Folder.Folder)->Archives, 3);
  EXPECT_TRUE(
      Model->Text(Folder.Folder).endsWith(QString::fromUtf8(" \u00b7 2 to download, 1 to remove")))
      << Model->Text(Folder.Folder).toStdString();
  EXPECT_TRUE(Changed.contains(Plain.Folder));
  EXPECT_TRUE(Changed.contains(Folder.Folder));
  EXPECT_EQ(Server.Requests("/mods/"), 0);

  // The folder is synced: the button reads the new record.
  Task = NewTask();
  Task->SetStateFolder(State());
  Task->UpdateModsTask();
  Model->Reread(Folder.Folder);
  ASSERT_TRUE(WaitUntil([&] { return !Model->Busy(Folder.Folder); }));
  EXPECT_TRUE(Model->Text(Folder.Folder)
                  .endsWith(QString::fromUtf8(" \u00b7 In line with the server, just now")))
      << Model->Text(Folder.Folder).toStdString();

  Server.SetPageSilent(true);
  Model->Survey({Folder}, Generation);
  ASSERT_TRUE(WaitUntil([&] { return !Model->Busy(Folder.Folder); }));
  EXPECT_TRUE(
      Model->Text(Folder.Folder).endsWith(QString::fromUtf8(" \u00b7 Server did not answer")))
      << Model->Text(Folder.Folder).toStdString();
}

TEST_F(FolderCheckTest, OneCheckPerFolderAndNoneWhileTheGameRuns) {
  Server.SetPageDelay(400);
  auto Model = NewModel();
  const int Before = Server.Requests("/mods.html");
  Model->Survey({Folder}, Generation);
  Model->Survey({Folder}, Generation);
  EXPECT_TRUE(Model->Checking(Folder.Folder));
  ASSERT_TRUE(WaitUntil([&] { return !Model->Busy(Folder.Folder); }));
  EXPECT_EQ(Server.Requests("/mods.html") - Before, 1);

  bool Running = true;
  auto Playing = NewModel(
      [&Running](TFSVersion AVersion) { return Running && AVersion == TFSVersion::fsv25; });
  Playing->Survey({Folder}, Generation);
  EXPECT_FALSE(Playing->Checking(Folder.Folder));
  ASSERT_TRUE(WaitUntil([&] { return !Playing->Busy(Folder.Folder); }));
  EXPECT_EQ(Server.Requests("/mods.html") - Before, 1);
  // The walk still ran: the count is known without the server.
  EXPECT_EQ(Playing->Contents(Folder.Folder)->Archives, 3);
}

TEST_F(FolderCheckTest, AModelGoneBeforeItsCheckEndsWaitsForNothing) {
  Server.SetPageSilent(true);
  auto Model = NewModel();
  Model->Survey({Folder}, Generation);
  QElapsedTimer Timer;
  Timer.start();
  Model.reset();
  EXPECT_LT(Timer.elapsed(), 1000);
}

} // namespace tilvane::test
