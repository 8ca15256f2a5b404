#include "core/update/UpdateProgressModel.h"

#include <gtest/gtest.h>

#include <vector>

namespace tilvane {
namespace {

const QLocale English(QLocale::English, QLocale::UnitedStates);

TEST(UpdateProgressTexts, Speeds) {
  const std::pair<double, const char*> Cases[] = {
      {0, "0 B/s"},     {1023, "1,023 B/s"}, {1024, "1 KB/s"},    {1536, "2 KB/s"},
      {2560, "2 KB/s"}, {1500, "1 KB/s"},    {1048576, "1 MB/s"}, {1073741824.0 * 3, "3 GB/s"}};
  for (const auto& [Speed, Text] : Cases)
    EXPECT_EQ(TUpdateProgressModel::FormatSpeed(Speed, English), QLatin1String(Text)) << Speed;
  EXPECT_EQ(TUpdateProgressModel::FormatSpeed(1023, QLocale(QLocale::German, QLocale::Germany)),
            QStringLiteral("1.023 B/s"));
}

TEST(UpdateProgressTexts, TimeLeft) {
  constexpr double S = 1000, M = 60 * S, H = 60 * M, D = 24 * H;
  const std::pair<double, const char*> Cases[] = {
      {D + H + M + S, "one day one hour one minute one second"},
      {2 * D + 5 * M, "2 days 5 minutes"},
      {M + 30 * S, "one minute 30 seconds"},
      {3 * H + 999, "3 hours"},
      {999, ""}};
  for (const auto& [Ms, Text] : Cases)
    EXPECT_EQ(TUpdateProgressModel::FormatTimeLeft(Ms), QLatin1String(Text)) << Ms;
  EXPECT_EQ(TUpdateProgressModel::FormatMB(1234.5, English), QStringLiteral("1,234.50"));
}

class UpdateProgressModelTest : public ::testing::Test {
protected:
  qint64 Now = 100000;
  std::vector<TProgressView> Shown;
  TUpdateProgressModel Model{[this](const TProgressView& AView) { Shown.push_back(AView); },
                             [this] { return Now; }, English};
};

TEST_F(UpdateProgressModelTest, EstimatesTheTimeLeftAtMostOnceASecond) {
  Model.StartTimes(true);
  Model.UpdateDownloadStatus(1, 3, 0, 1000, QStringLiteral("A.zip"), 400);
  EXPECT_EQ(Model.View().FinishTime, QStringLiteral("estimating time to finish..."));
  EXPECT_EQ(Model.View().CompletePercent, 0);

  Now += 60000;
  Model.UpdateDownloadStatus(2, 3, 400, 1000, QStringLiteral("B.zip"), 600);
  EXPECT_EQ(Model.View().Files, QStringLiteral("2 of 3"));
  EXPECT_EQ(Model.View().SizeMB, QStringLiteral("400.00 of 1,000.00"));
  EXPECT_EQ(Model.View().FileSizeMB, QStringLiteral("600.00"));
  EXPECT_EQ(Model.View().CompletePercent, 40);
  EXPECT_EQ(Model.View().FinishTime, QStringLiteral("one minute 30 seconds"));

  Now += 500; // within the second: the estimate stays
  Model.UpdateFileStatus(50, 1024);
  EXPECT_EQ(Model.View().FinishTime, QStringLiteral("one minute 30 seconds"));
  Now += 500;
  Model.UpdateFileStatus(60, 1024);
  EXPECT_EQ(Model.View().FinishTime, QStringLiteral("one minute 31 seconds"));
}

TEST_F(UpdateProgressModelTest, FileBarAndSpeedChangeAtMostEvery500ms) {
  Model.StartTimes(true);
  Model.UpdateDownloadStatus(1, 1, 0, 0, QStringLiteral("A.zip"), 1);
  EXPECT_EQ(Model.View().CompletePercent, 100); // nothing to weigh: all of it
  Now += 500;
  Model.UpdateFileStatus(10, 2048);
  EXPECT_EQ(Model.View().FilePercent, 10);
  EXPECT_EQ(Model.View().Speed, QStringLiteral("2 KB/s"));
  const size_t Pushed = Shown.size();
  Now += 200;
  Model.UpdateFileStatus(20, 4096);
  EXPECT_EQ(Model.View().FilePercent, 10);
  EXPECT_EQ(Model.View().Speed, QStringLiteral("2 KB/s"));
  EXPECT_EQ(Shown.size(), Pushed) << "nothing visible changed, nothing handed over";
  Now += 300;
  Model.UpdateFileStatus(100, -1);
  EXPECT_EQ(Model.View().FilePercent, 100);
  EXPECT_EQ(Model.View().Speed, QStringLiteral("2 KB/s")) << "-1 leaves the speed";
  EXPECT_EQ(Shown.back(), Model.View());
}

TEST(UpdateProgressTexts, RemovedArchivesSayWhereTheyWent) {
  const struct {
    int Trash;
    int Deleted;
    int Kept;
    const char* Text;
  } Cases[] = {
      {0, 0, 0, ""},
      {1, 0, 0, "1 mod archive moved to the trash"},
      {3, 0, 0, "3 mod archives moved to the trash"},
      {0, 1, 0, "1 mod archive deleted (the trash could not take them)"},
      {2, 2, 0, "2 mod archives moved to the trash, 2 deleted (the trash could not take them)"},
      {0, 0, 4, "4 mod archives kept (the trash could not take them)"},
      {1, 0, 2, "1 mod archive moved to the trash, 2 kept (the trash could not take them)"},
  };
  for (const auto& Case : Cases)
    EXPECT_EQ(TUpdateProgressModel::FormatRemoved(Case.Trash, Case.Deleted, Case.Kept),
              QLatin1String(Case.Text));
}

} // namespace
} // namespace tilvane
