#include "core/logviewer/LogFollower.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <random>
#include <thread>

using namespace tilvane;
using Kind = TLogLoadResult::TKind;

namespace {

// A log line as the game writes it.
QByteArray GameLine(int i) {
  return QByteArrayLiteral("2026-07-22 17:10:") + QByteArray::number(10 + i % 50) + " line " +
         QByteArray::number(i) + (i % 7 == 0 ? " Warning (performance): slow mesh" : "") +
         (i % 11 == 0 ? " Error: Failed to open xml file" : "") + "\r\n";
}

QByteArray GameLog(int from, int count) {
  QByteArray log;
  for (int i = from; i < from + count; ++i)
    log += GameLine(i);
  return log;
}

class LogFollowerTest : public ::testing::Test {
protected:
  void SetUp() override {
    FFileName = FEnv.PathOf(QStringLiteral("log.txt"));
    FFollower.SetLogFileName(FFileName);
    FFollower.SetOpenRetry(2, 1);
  }

  void Write(const QByteArray& AContent) { test::WriteFile(FFileName, AContent); }

  // Appends from another thread through a file that stays open for writing,
  // the way the game keeps its log open.
  void AppendFromWriter(const QByteArray& AContent) {
    std::thread writer([&] {
      QFile file(FFileName);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
      file.write(AContent);
      file.flush();
      FHeldOpen = file.handle() >= 0;
    });
    writer.join();
  }

  QStringList Lines() const {
    QStringList lines;
    for (qsizetype i = 0; i < FFollower.LineCount(); ++i)
      lines << FFollower.Line(i).toString();
    return lines;
  }

  static QStringList EntryTexts(const TLogFollower& AFollower) {
    QStringList texts;
    for (qsizetype i = 0; i < static_cast<qsizetype>(AFollower.Entries().size()); ++i)
      texts << AFollower.EntryText(i);
    return texts;
  }
  QStringList EntryTexts() const { return EntryTexts(FFollower); }

  // The follower against a second follower that reads the whole file: the
  // incremental path must never show anything a full load would not.
  ::testing::AssertionResult MatchesFullLoad() const {
    TLogFollower fresh;
    fresh.SetLogFileName(FFileName);
    fresh.LoadLogFile(true);
    if (FFollower.LineCount() != fresh.LineCount() || FFollower.Text() != fresh.Text())
      return ::testing::AssertionFailure()
             << FFollower.LineCount() << " lines \"" << FFollower.Text().toStdString()
             << "\" where a full load has " << fresh.LineCount() << " lines \""
             << fresh.Text().toStdString() << "\"";
    if (EntryTexts() != EntryTexts(fresh))
      return ::testing::AssertionFailure()
             << "entries \"" << EntryTexts().join(u'|').toStdString()
             << "\" where a full load has \"" << EntryTexts(fresh).join(u'|').toStdString() << "\"";
    if (FFollower.TotalErrors() != fresh.TotalErrors() ||
        FFollower.TotalWarnings() != fresh.TotalWarnings())
      return ::testing::AssertionFailure()
             << "totals " << FFollower.TotalErrors() << "/" << FFollower.TotalWarnings()
             << " where a full load has " << fresh.TotalErrors() << "/" << fresh.TotalWarnings();
    if (FFollower.Encoding() != fresh.Encoding())
      return ::testing::AssertionFailure() << "the encoding differs from a full load";
    return ::testing::AssertionSuccess();
  }

  test::TestEnvironment FEnv;
  QString FFileName;
  TLogFollower FFollower;
  bool FHeldOpen = false;
};

TEST_F(LogFollowerTest, DecodesEncodingsAndLineEnds) {
  struct Case {
    const char* Name;
    QByteArray Bytes;
    TLogEncoding Encoding;
    QStringList Lines;
  };
  const QString eAcute = QString(QChar(0xE9));
  const QStringList plain = {QStringLiteral("a"), QStringLiteral("b"), QString(),
                             QStringLiteral("c")};
  const Case cases[] = {
      {"CR LF", "a\r\nb\r\n\r\nc\r\n", TLogEncoding::Utf8, plain},
      {"LF, no final line end", "a\nb\n\nc", TLogEncoding::Utf8, plain},
      {"CR only", "a\rb\r\rc\r", TLogEncoding::Utf8, plain},
      {"mixed", "a\r\nb\n\rc", TLogEncoding::Utf8, plain},
      {"one empty line", "\r\n", TLogEncoding::Utf8, {QString()}},
      {"UTF-8", "caf\xC3\xA9\n", TLogEncoding::Utf8, {QStringLiteral("caf") + eAcute}},
      {"UTF-8 BOM",
       "\xEF\xBB\xBF"
       "caf\xC3\xA9\r\nx",
       TLogEncoding::Utf8,
       {QStringLiteral("caf") + eAcute, QStringLiteral("x")}},
      {"Windows-1252",
       "caf\xE9 \x80\r\n",
       TLogEncoding::Windows1252,
       {QStringLiteral("caf") + eAcute + QStringLiteral(" ") + QChar(0x20AC)}},
      {"UTF-16 LE BOM",
       QByteArray("\xFF\xFE"
                  "a\0\r\0\n\0\xE9\0",
                  10),
       TLogEncoding::Utf16LE,
       {QStringLiteral("a"), eAcute}},
      {"UTF-16 BE BOM",
       QByteArray("\xFE\xFF\0a\0\r\0\xE9", 8),
       TLogEncoding::Utf16BE,
       {QStringLiteral("a"), eAcute}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Write(c.Bytes);
    EXPECT_EQ(FFollower.LoadLogFile(true).Kind, Kind::Replaced);
    EXPECT_EQ(FFollower.Encoding(), c.Encoding);
    EXPECT_EQ(Lines(), c.Lines);
  }
}

TEST_F(LogFollowerTest, ClassifiesWholeWordsInAnyCase) {
  Write("Error: Unsupported mod description version\r\n"
        "ERROR in savegame\r\n"
        "an error here\r\n"
        "Errors: 3\r\n"
        "ErrorCode 5\r\n"
        "[Error] texture missing\r\n"
        "MyError and ErrorHandler\r\n"
        "  Warning (performance): Foliage lod then Error: bad\r\n"
        "Warnings and NoWarning\r\n");
  FFollower.LoadLogFile(true);
  EXPECT_EQ(EntryTexts(),
            (QStringList{
                QStringLiteral("[Error] 1:  Error: Unsupported mod description version"),
                QStringLiteral("[Error] 2:  ERROR in savegame"),
                QStringLiteral("[Error] 3:  an error here"),
                QStringLiteral("[Error] 6:  [Error] texture missing"),
                QStringLiteral("[Warning] 8:    Warning (performance): Foliage lod "
                               "then Error: bad"),
                QStringLiteral("[Error] 8:    Warning (performance): Foliage lod "
                               "then Error: bad"),
            }));
  EXPECT_EQ(FFollower.TotalErrors(), 5);
  EXPECT_EQ(FFollower.TotalWarnings(), 1);

  FFollower.SetShowErrors(false);
  FFollower.SetShowWarnings(false);
  FFollower.ParseLog(0);
  EXPECT_TRUE(FFollower.Entries().empty());
  EXPECT_EQ(FFollower.TotalErrors(), 0);
  EXPECT_EQ(FFollower.TotalWarnings(), 0);
}

TEST_F(LogFollowerTest, UnchangedFileCostsNothing) {
  Write(GameLog(1, 50));
  FFollower.LoadLogFile(true);
  const auto entries = EntryTexts();
  for (int tick = 0; tick < 3; ++tick)
    EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Unchanged);
  EXPECT_EQ(EntryTexts(), entries);
  EXPECT_EQ(FFollower.LineCount(), 50);
}

TEST_F(LogFollowerTest, AppendedLinesAreClassifiedAlone) {
  Write(GameLog(1, 1000));
  FFollower.LoadLogFile(true);
  const QStringList before = EntryTexts();
  // 90 errors (every 11th line) and 142 warnings (every 7th).
  ASSERT_EQ(before.size(), 232);
  ASSERT_EQ(FFollower.TotalErrors(), 90);

  // With warnings switched off without a rebuild, re-classifying old lines
  // would drop their warning entries: they must survive.
  FFollower.SetShowWarnings(false);
  AppendFromWriter(GameLog(1001, 10));
  EXPECT_TRUE(FHeldOpen);
  const TLogLoadResult result = FFollower.LoadLogFile(false);
  EXPECT_EQ(result.Kind, Kind::Patched);
  EXPECT_EQ(result.ReplacedLine, -1);
  EXPECT_EQ(result.FirstNewLine, 1000);
  EXPECT_EQ(result.FirstChangedEntry, 232);
  EXPECT_EQ(FFollower.LineCount(), 1010);
  EXPECT_LT(FFollower.LastBytesRead(), 3 * 64 * 1024);

  const QStringList after = EntryTexts();
  EXPECT_EQ(after.mid(0, before.size()), before);
  // Line 1001 (7 * 143) has only a warning, 1001 = 11 * 91 an error too.
  EXPECT_EQ(after.mid(before.size()),
            (QStringList{QStringLiteral("[Error] 1001:  ") +
                         QString::fromLatin1(GameLine(1001).chopped(2))}));
  EXPECT_EQ(FFollower.TotalErrors(), 91);
  EXPECT_EQ(FFollower.Line(1009), QString::fromLatin1(GameLine(1010).chopped(2)));
}

TEST_F(LogFollowerTest, HalfWrittenLastLineIsReplacedAndClassifiedOnce) {
  Write("first\r\n2026-07-22 Err");
  FFollower.LoadLogFile(true);
  AppendFromWriter("or: Failed to o");
  TLogLoadResult result = FFollower.LoadLogFile(false);
  EXPECT_EQ(result.Kind, Kind::Patched);
  EXPECT_EQ(result.ReplacedLine, 1);
  EXPECT_EQ(FFollower.TotalErrors(), 1);

  AppendFromWriter("pen\r");
  FFollower.LoadLogFile(false);
  // The LF of a CR LF split over two writes ends the same line.
  AppendFromWriter("\nnext line\r\n");
  result = FFollower.LoadLogFile(false);
  EXPECT_EQ(result.Kind, Kind::Patched);
  EXPECT_EQ(result.FirstNewLine, 2);
  EXPECT_EQ(Lines(), (QStringList{QStringLiteral("first"),
                                  QStringLiteral("2026-07-22 Error: Failed to open"),
                                  QStringLiteral("next line")}));
  EXPECT_EQ(EntryTexts(),
            QStringList{QStringLiteral("[Error] 2:  2026-07-22 Error: Failed to open")});
  EXPECT_EQ(FFollower.TotalErrors(), 1);
}

TEST_F(LogFollowerTest, AppendedEmptyLinesAreKept) {
  // A mod that prints an empty line ends a write with two line ends; the
  // empty line between them must neither vanish nor swallow the next line.
  struct Case {
    const char* Name;
    QByteArray Start;
    std::vector<std::pair<QByteArray, QStringList>> Steps; // appended, lines after it
  };
  const QString e; // an empty line
  const QString a = QStringLiteral("A"), b = QStringLiteral("B"), c = QStringLiteral("C");
  const QString ab = QStringLiteral("Ab"), bb = QStringLiteral("BB");
  const Case cases[] = {
      {"CR LF", "A\r\n", {{"B\r\n\r\n", {a, b, e}}, {"C\r\n", {a, b, e, c}}}},
      {"CR LF, only an empty line", "A\r\n", {{"\r\n", {a, e}}, {"\r\n", {a, e, e}}}},
      {"LF", "Ab\n", {{"B\n\n", {ab, b, e}}, {"C\n", {ab, b, e, c}}}},
      {"LF, only an empty line", "Ab\n", {{"\n", {ab, e}}}},
      {"CR", "Ab\r", {{"B\r\r", {ab, b, e}}, {"C\r", {ab, b, e, c}}}},
      {"half-written line completed", "A\r\nB", {{"B\r\n\r\n", {a, bb, e}}}},
      {"CR LF split before an empty line", "A\r\n", {{"B\r", {a, b}}, {"\n\r\n", {a, b, e}}}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.Name);
    Write(test.Start);
    FFollower.LoadLogFile(true);
    for (const auto& [appended, lines] : test.Steps) {
      SCOPED_TRACE(appended.toStdString());
      AppendFromWriter(appended);
      const TLogLoadResult result = FFollower.LoadLogFile(false);
      EXPECT_NE(result.Kind, Kind::Replaced); // followed, not read afresh
      EXPECT_EQ(Lines(), lines);
      EXPECT_TRUE(MatchesFullLoad());
    }
  }

  // The entry of a line written after the empty one names its real number.
  Write("A\r\n");
  FFollower.LoadLogFile(true);
  for (const char* appended : {"B\r\n\r\n", "Error: C\r\n"}) {
    AppendFromWriter(appended);
    FFollower.LoadLogFile(false);
  }
  EXPECT_EQ(EntryTexts(), QStringList{QStringLiteral("[Error] 4:  Error: C")});
  EXPECT_EQ(FFollower.TotalErrors(), 1);
}

TEST_F(LogFollowerTest, FollowingAgreesWithFullLoadOverRandomChanges) {
  std::mt19937 random(20260722);
  auto pick = [&](int AMax) { return std::uniform_int_distribution<int>(0, AMax)(random); };
  const char* const words[] = {"Error:", "Warning", "error", "mesh", "lod", "", "x"};
  auto text = [&] {
    QByteArray line = words[pick(6)];
    for (int i = pick(3); i > 0; --i)
      line += QByteArray(" ") + words[pick(6)];
    return line;
  };
  auto lineEnd = [&] { return pick(3) == 0 ? QByteArray("\n") : QByteArray("\r\n"); };
  // How often each change below comes: whole lines, part of a line, empty
  // lines, a split CR LF, a split character, a byte that is not UTF-8, a
  // restart, the last bytes rewritten.
  std::discrete_distribution<int> change({5, 3, 3, 2, 2, 1, 1, 3});

  QByteArray content = "start\r\n";
  Write(content);
  FFollower.LoadLogFile(true);
  auto step = [&](const QByteArray& ANewContent, const char* AWhat) {
    if (ANewContent.startsWith(content))
      AppendFromWriter(ANewContent.mid(content.size()));
    else
      Write(ANewContent);
    content = ANewContent;
    EXPECT_NE(FFollower.LoadLogFile(false).Kind, Kind::OpenFailed);
    return ::testing::AssertionResult(MatchesFullLoad()) << " after " << AWhat;
  };

  for (int i = 0; i < 400; ++i) {
    SCOPED_TRACE(i);
    ::testing::AssertionResult same = ::testing::AssertionSuccess();
    switch (change(random)) {
    case 0: {
      QByteArray lines;
      for (int k = pick(3); k >= 0; --k)
        lines += (pick(3) == 0 ? QByteArray() : text()) + lineEnd();
      same = step(content + lines, "whole lines");
      break;
    }
    case 1:
      same = step(content + text(), "part of a line");
      break;
    case 2:
      same = step(content + lineEnd() + (pick(1) ? lineEnd() : QByteArray()), "empty lines");
      break;
    case 3:
      same = step(content + text() + "\r", "a CR");
      if (same)
        same = step(content + "\n" + (pick(1) ? QByteArray("\r\n") : text()), "its LF");
      break;
    case 4:
      same = step(content + "caf\xC3", "half a character");
      if (same)
        same = step(content + "\xA9" + lineEnd(), "its second half");
      break;
    case 5:
      same = step(content + "caf\xE9" + lineEnd(), "a byte that is not UTF-8");
      break;
    case 6: {
      QByteArray restarted = (pick(3) == 0 ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
                             "restart " + QByteArray::number(i) + "\r\n" + text();
      // Shorter than the old log: two writes within one tick of the file
      // system's clock differ in their size only.
      restarted.truncate(std::max<qsizetype>(0, std::min(restarted.size(), content.size() - 1)));
      same = step(restarted, "a restart");
      break;
    }
    default: {
      // The last bytes written again, longer than before (see above).
      const qsizetype cut = std::min<qsizetype>(content.size(), 1 + pick(5));
      same = step(content.chopped(cut) + text() + "+ " + QByteArray(cut, 'r'), "a rewrite");
      break;
    }
    }
    ASSERT_TRUE(same);
  }
}

TEST_F(LogFollowerTest, FirstLineOfAOneLineTextIsClassifiedWhenCompleted) {
  Write("Warn");
  FFollower.LoadLogFile(true);
  AppendFromWriter("ing: x\r\nsecond\r\n");
  const TLogLoadResult result = FFollower.LoadLogFile(false);
  EXPECT_EQ(result.ReplacedLine, 0);
  EXPECT_EQ(EntryTexts(), QStringList{QStringLiteral("[Warning] 1:  Warning: x")});
}

TEST_F(LogFollowerTest, RestartedOrRewrittenLogIsRebuilt) {
  struct Case {
    const char* Name;
    QByteArray Old;
    QByteArray New;
    qsizetype Errors;   // of the new text: every 11th game line has one
    qsizetype Warnings; // every 7th
  };
  const QByteArray big = GameLog(1, 3000); // larger than both compared windows together
  QByteArray bigEdited = big;
  bigEdited[bigEdited.size() - 200] = 'X'; // the date of line 2996
  const Case cases[] = {
      {"shorter", GameLog(1, 100), GameLog(500, 3), 0, 0},
      {"earlier line changed", GameLog(1, 100), GameLog(2, 100) + GameLog(1, 5), 9, 14},
      {"restarted and already longer", big, GameLog(3, 6000), 545, 857},
      {"line before the last changed", big, bigEdited + GameLog(9000, 1), 272, 428},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Write(c.Old);
    FFollower.LoadLogFile(true);
    Write(c.New);
    EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Replaced);
    EXPECT_EQ(FFollower.Text(), QString::fromLatin1(c.New)
                                    .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                    .chopped(1));
    EXPECT_EQ(FFollower.TotalErrors(), c.Errors);
    EXPECT_EQ(FFollower.TotalWarnings(), c.Warnings);
  }
}

TEST_F(LogFollowerTest, GrownFileKeepsDecodingAsTheWholeFileWould) {
  // A character cut in half by the end of the file is still being written.
  Write("x \xC3");
  FFollower.LoadLogFile(true);
  AppendFromWriter("\xA4\n");
  FFollower.LoadLogFile(false);
  EXPECT_EQ(FFollower.Encoding(), TLogEncoding::Utf8);
  EXPECT_EQ(Lines(), QStringList{QStringLiteral("x ") + QChar(0xE4)});

  // A byte that is not UTF-8 makes the whole file Windows-1252.
  AppendFromWriter("caf\xE9\n");
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Replaced);
  EXPECT_EQ(FFollower.Encoding(), TLogEncoding::Windows1252);
  EXPECT_EQ(FFollower.Line(1), QStringLiteral("caf") + QChar(0xE9));

  // UTF-16 follows in whole code units.
  Write(QByteArray("\xFF\xFE"
                   "a\0\n\0b",
                   7));
  FFollower.LoadLogFile(true);
  AppendFromWriter(QByteArray("\0c\0\n\0", 5));
  FFollower.LoadLogFile(false);
  EXPECT_EQ(Lines(), (QStringList{QStringLiteral("a"), QStringLiteral("bc")}));
}

TEST_F(LogFollowerTest, MissingOrUnreadableFile) {
  Write(GameLog(1, 20));
  FFollower.LoadLogFile(true);
  ASSERT_TRUE(QFile::remove(FFileName));
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Emptied);
  EXPECT_EQ(FFollower.LineCount(), 0);
  EXPECT_TRUE(FFollower.Entries().empty());
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Unchanged);

  Write(GameLog(1, 20));
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Replaced);
  const QString text = FFollower.Text();

  // Something that exists but cannot be read: the view stays, later ticks retry.
  ASSERT_TRUE(QFile::remove(FFileName));
  ASSERT_TRUE(QDir().mkdir(FFileName));
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::OpenFailed);
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::OpenFailed);
  EXPECT_EQ(FFollower.Text(), text);
  ASSERT_TRUE(QDir().rmdir(FFileName));
  Write(GameLog(1, 21));
  EXPECT_EQ(FFollower.LoadLogFile(false).Kind, Kind::Patched);
  EXPECT_EQ(FFollower.LineCount(), 21);
}

} // namespace
