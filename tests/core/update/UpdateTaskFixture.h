#pragma once

#include "support/UpdateTestSupport.h"

#include "core/update/UpdateModsTask.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace tilvane::test {

inline const QString Yes = QStringLiteral("1.0.0.0");

// A mod folder that follows a stand-in server on 127.0.0.1, and the task that
// syncs it.
class UpdateModsTaskTest : public ::testing::Test {
protected:
  UpdateModsTaskTest() {
    Folder.Name = QStringLiteral("Server");
    Folder.Folder = Env.PathOf(QStringLiteral("mods"));
    Folder.DedicatedServerURL = Server.PageURL();
    QDir().mkpath(Folder.Folder);
  }

  QString Mod(const QString& AName) const { return Folder.Folder + u'/' + AName; }

  static TFSVersion GenerationOf(TPageLayout ALayout) {
    return ALayout == TPageLayout::Grid100 ? TFSVersion::fsv25 : TFSVersion::fsv22;
  }
  // The page of the layout, with the folder's generation following it.
  void SetPage(TPageLayout ALayout, const std::vector<TPageRow>& ARows) {
    Generation = GenerationOf(ALayout);
    Server.SetPage(MakeModPage(ALayout, ARows));
  }
  // The page, and an archive for each row.
  void Serve(TPageLayout ALayout, const std::vector<TPageRow>& ARows) {
    SetPage(ALayout, ARows);
    for (const TPageRow& Row : ARows)
      ServeArchive(Row.FileName, Row.Author, Row.Version);
  }
  void ServeArchive(const QString& AName, const QString& AAuthor, const QString& AVersion) {
    const QString Tmp = Env.PathOf(QStringLiteral("served/") + AName);
    MakeModArchive(Tmp, AAuthor, AVersion);
    Server.SetFile(AName, ReadFile(Tmp));
  }
  QByteArray Served(const QString& AName) const {
    return ReadFile(Env.PathOf(QStringLiteral("served/") + AName));
  }

  std::unique_ptr<TUpdateModsTask> NewTask() {
    auto Task =
        std::make_unique<TUpdateModsTask>(Folder, Generation, &TestServerURL, Progress,
                                          Env.Prompts(), Env.PathOf(QStringLiteral("Temp")));
    Task->SetTimings({5, 20});
    Task->Client().SetConnectionTimeout(2000);
    return Task;
  }
  // Runs the task on this thread; true when it went through all phases.
  bool Run(bool ADeleteAllFirst = false) {
    Task = NewTask();
    Task->SetDeleteAllFilesFirst(ADeleteAllFirst);
    Task->UpdateModsTask();
    return Task->FinishedUpdating();
  }

  QStringList FilesIn(const QString& ADir) const {
    return QDir(ADir).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                QDir::Name);
  }
  // Every file of the folder with its bytes.
  std::map<QString, QByteArray> Contents() const {
    std::map<QString, QByteArray> Result;
    for (const QString& Name : FilesIn(Folder.Folder))
      Result[Name] = ReadFile(Mod(Name));
    return Result;
  }

  TestEnvironment Env;
  TTestServer Server;
  TRecordingProgress Progress;
  TModFolder Folder;
  TFSVersion Generation = TFSVersion::fsv25;
  std::unique_ptr<TUpdateModsTask> Task;
};

} // namespace tilvane::test
