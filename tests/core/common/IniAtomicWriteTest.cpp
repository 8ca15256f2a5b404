#include "AtomicWriteRounds.h"

#include "core/common/IniFile.h"
#include "support/TestEnvironment.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

QByteArray Content(int variant) {
  TIniDocument doc;
  test::FillAtomicWriteRound(doc, variant);
  return doc.ToBytes();
}

// A writer killed at any moment leaves the old or the new file, never a stump.
TEST(IniAtomicWriteTest, KilledWriterLeavesOldOrNewContent) {
  test::TestEnvironment env;
  const QString path = env.PathOf(QStringLiteral("Tilvane.ini"));
  const QByteArray a = Content(0);
  const QByteArray b = Content(1);
  test::WriteFile(path, a);

  auto* rng = QRandomGenerator::global();
  int sawA = 0;
  int sawB = 0;
  for (int i = 0; i < 40; ++i) {
    QProcess writer;
    writer.start(QStringLiteral(TILVANE_INI_WRITER), {path});
    ASSERT_TRUE(writer.waitForReadyRead(10000)) << writer.errorString().toStdString();
    QThread::usleep(rng->bounded(20000));
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(10000));

    const QByteArray now = test::ReadFile(path);
    ASSERT_TRUE(now == a || now == b) << "round " << i << ": " << now.size() << " bytes";
    (now == a ? sawA : sawB)++;
  }
  // Both contents showed up: the kills fell at different points of the cycle.
  EXPECT_GT(sawA, 0);
  EXPECT_GT(sawB, 0);
}

} // namespace
} // namespace tilvane
