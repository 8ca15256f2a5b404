#include "ServerPageExercise.h"

#include "core/server/ParseServerModList.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tilvane;

namespace {

QByteArray ReadCorpusFile(const QString& AName) {
  QFile File(QStringLiteral(TILVANE_SERVER_CORPUS_DIR "/") + AName);
  EXPECT_TRUE(File.open(QIODevice::ReadOnly)) << AName.toStdString();
  return File.readAll();
}

// Every input the fuzzer was seeded with or found a fault with stays safe.
TEST(ServerPageCorpusTest, EveryCorpusFileIsParsedSafely) {
  const QStringList Names = QDir(QStringLiteral(TILVANE_SERVER_CORPUS_DIR)).entryList(QDir::Files);
  ASSERT_GE(Names.size(), 10);
  for (const QString& Name : Names) {
    SCOPED_TRACE(Name.toStdString());
    const QByteArray Data = ReadCorpusFile(Name);
    EXPECT_TRUE(test::ExerciseServerPageParser(reinterpret_cast<const std::uint8_t*>(Data.data()),
                                               static_cast<std::size_t>(Data.size())));
  }
}

// The seeds must reach the rows of each grammar, or the fuzzer would mostly
// mutate pages the parser turns away early.
TEST(ServerPageCorpusTest, SeedPagesReachTheirRows) {
  const struct {
    const char* Name;
    QChar Separator;
    qsizetype Rows;
    qint64 FirstSize;
  } Cases[] = {
      {"table-9.0.html", u',', 2, 125000},        {"table-8.0-crlf.html", u'.', 2, 125000},
      {"grid-9.1.html", u'.', 2, 3933700},        {"grid-9.2.html", u'.', 2, 3933700},
      {"grid-10.0-http-marker.html", u',', 1, 0},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    const QString Page = QString::fromUtf8(ReadCorpusFile(QLatin1String(Case.Name)));
    const TParseServerModPageResult Result = TryParseServerModPage(Page, Case.Separator);
    EXPECT_TRUE(Result.Successful);
    ASSERT_EQ(Result.Mods.size(), Case.Rows);
    EXPECT_EQ(Result.Mods[0].SizeMB, Case.FirstSize);
  }
}

} // namespace
