#include "core/logviewer/LogFollower.h"

#include "core/common/CommonUtilities.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstring>

namespace tilvane {

namespace {

// Size of each of the two windows of earlier bytes compared on every grown
// load: the file's first bytes and the bytes right before the last line. A
// restarted log differs from the old one within them (time stamps), so a
// grown file is not mistaken for one that was started afresh.
constexpr std::int64_t kWindow = 64 * 1024;

// Turns CR LF, CR and LF into LF in place and records where each line starts
// (offset by ABase). A line end at the very end begins no further line.
void NormalizeLines(QString& AText, qsizetype ABase, std::vector<qsizetype>& AStarts) {
  const qsizetype n = AText.size();
  if (n == 0)
    return;
  char16_t* d = reinterpret_cast<char16_t*>(AText.data());
  qsizetype w = 0;
  AStarts.push_back(ABase);
  for (qsizetype r = 0; r < n; ++r) {
    const char16_t c = d[r];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && r + 1 < n && d[r + 1] == u'\n')
        ++r;
      if (r + 1 < n) {
        d[w++] = u'\n';
        AStarts.push_back(ABase + w);
      }
    } else {
      d[w++] = c;
    }
  }
  AText.truncate(w);
}

int UnitSize(TLogEncoding AEncoding) {
  return (AEncoding == TLogEncoding::Utf16LE || AEncoding == TLogEncoding::Utf16BE) ? 2 : 1;
}

// A quick test that must pass before the exact keyword test runs: the line
// holds ALower (ASCII letters) in any letter case. Only ASCII letters turn
// into these letters in upper case, so a line that fails it cannot contain
// the keyword; most lines of a log fail it, and they are then spared the
// exact test's upper-case copy.
bool MayContain(QStringView ALine, QLatin1String ALower) {
  const qsizetype m = ALower.size();
  const char16_t* d = ALine.utf16();
  for (qsizetype i = 0, last = ALine.size() - m; i <= last; ++i) {
    qsizetype k = 0;
    while (k < m && (d[i + k] | 0x20) == static_cast<char16_t>(ALower.data()[k]))
      ++k;
    if (k == m)
      return true;
  }
  return false;
}

} // namespace

QStringView TLogFollower::Line(qsizetype AIndex) const {
  const qsizetype start = FStarts[static_cast<size_t>(AIndex)];
  const qsizetype end =
      AIndex + 1 < LineCount() ? FStarts[static_cast<size_t>(AIndex) + 1] - 1 : FText.size();
  return QStringView(FText).mid(start, end - start);
}

QStringView TLogFollower::TextFrom(qsizetype AFirst) const {
  if (AFirst >= LineCount())
    return {};
  return QStringView(FText).mid(FStarts[static_cast<size_t>(AFirst)]);
}

QString TLogFollower::EntryText(qsizetype AIndex) const {
  const TLogEntry& entry = FEntries[static_cast<size_t>(AIndex)];
  const QLatin1String prefix = entry.Kind == TLogEntryKind::Warning ? QLatin1String("[Warning] ")
                                                                    : QLatin1String("[Error] ");
  return prefix + QString::number(entry.Line + 1) + QLatin1String(":  ") +
         Line(entry.Line).toString();
}

void TLogFollower::SetOpenRetry(int AAttempts, int ADelayMs) {
  FOpenAttempts = std::max(1, AAttempts);
  FOpenDelayMs = std::max(0, ADelayMs);
}

void TLogFollower::Clear() {
  FText = QString();
  FStarts.clear();
  FCanFollow = false;
}

void TLogFollower::AppendLines(const QString& ANormalized, const std::vector<qsizetype>& AStarts,
                               size_t AFirst) {
  // The text is taken as split, never split again: once its line ends are
  // LFs, a last line that is empty ends the text in an LF, which a second
  // split would read as a line end at the very end and drop the line.
  if (AFirst >= AStarts.size())
    return;
  const qsizetype from = AStarts[AFirst];
  if (!FStarts.empty())
    FText.append(u'\n');
  const qsizetype shift = FText.size() - from;
  for (size_t i = AFirst; i < AStarts.size(); ++i)
    FStarts.push_back(AStarts[i] + shift);
  FText.append(QStringView(ANormalized).mid(from));
}

void TLogFollower::RememberWindows(const QByteArray& AData, std::int64_t ADataOffset) {
  const std::int64_t headEnd = std::min(kWindow, FLastLineByte);
  if (FHead.size() < headEnd)
    FHead.append(AData.constData() + (FHead.size() - ADataOffset), headEnd - FHead.size());
  const std::int64_t tailStart = std::max(headEnd, FLastLineByte - kWindow);
  FTail = AData.mid(tailStart - ADataOffset, FLastLineByte - tailStart);
  FTailOffset = tailStart;
}

bool TLogFollower::OpenLogFile(QFile& AFile) {
  AFile.setFileName(FLogFileName);
  // After a load that gave up, try once per call: the window must not stall
  // on every tick while the game keeps the file locked.
  const int attempts = FLastOpenFailed ? 1 : FOpenAttempts;
  for (int attempt = 1;; ++attempt) {
    if (AFile.open(QIODevice::ReadOnly)) {
      FLastOpenFailed = false;
      return true;
    }
    if (attempt >= attempts)
      break;
    QThread::msleep(static_cast<unsigned long>(FOpenDelayMs));
  }
  FLastOpenFailed = true;
  return false;
}

TLogLoadResult TLogFollower::LoadLogFile(bool ForceLoad) {
  TLogLoadResult result;
  const QFileInfo info(FLogFileName);
  if (!info.exists()) {
    const bool hadContent = !FStarts.empty() || !FEntries.empty();
    Clear();
    ParseLog(0);
    // Forget the old file: a file that comes back must be read even if its
    // time and size happen to match.
    FLastLogDT = QDateTime();
    FLastLogSize = -1;
    result.Kind = hadContent ? TLogLoadResult::TKind::Emptied : TLogLoadResult::TKind::Unchanged;
    return result;
  }
  // Taken before reading: a write during the read shows as a change next time.
  const QDateTime time = info.lastModified();
  const std::int64_t size = info.size();
  if (!ForceLoad && FCanFollow && time == FLastLogDT && size == FLastLogSize)
    return result;

  if (!ForceLoad && FCanFollow && size >= FLastLogSize) {
    switch (ReadChanges(result)) {
    case TReadResult::Ok:
      FLastLogDT = time;
      FLastLogSize = size;
      return result;
    case TReadResult::Failed:
      result.Kind = TLogLoadResult::TKind::OpenFailed;
      return result;
    case TReadResult::NeedFullLoad:
      break;
    }
  }
  return FullLoad(time, size);
}

TLogLoadResult TLogFollower::FullLoad(const QDateTime& ATime, std::int64_t ASize) {
  TLogLoadResult result;
  QFile file;
  if (!OpenLogFile(file)) {
    result.Kind = TLogLoadResult::TKind::OpenFailed;
    return result;
  }
  QByteArray data = file.readAll();
  file.close();
  FLastBytesRead = data.size();
  Clear();

  FEncodingInfo = DetectLogEncoding(data.constData(), data.size());
  FEncoding = FEncodingInfo.Encoding;
  const int bom = FEncodingInfo.BomSize;
  const char* body = data.constData() + bom;
  const std::int64_t bodySize = data.size() - bom;
  const std::int64_t lastLine =
      LastLineStart(body, bodySize, UnitSize(FEncoding), FEncoding == TLogEncoding::Utf16BE);
  FLastLineByte = bom + lastLine;
  FPrefixIsUtf8 = bom != 0 || FEncoding == TLogEncoding::Utf8 || IsValidUtf8(body, lastLine);
  FHead.clear();
  RememberWindows(data, 0);

  QString decoded = DecodeLogBytes(FEncoding, body, bodySize);
  data = QByteArray(); // the bytes are not needed beyond this point: keep the peak low
  NormalizeLines(decoded, 0, FStarts);
  FText = std::move(decoded);
  // A file this short may still be growing into a byte-order mark.
  FCanFollow = ASize >= 3 && FLastBytesRead >= 3;
  FLastLogDT = ATime;
  FLastLogSize = ASize;

  result.Kind = TLogLoadResult::TKind::Replaced;
  result.FirstChangedEntry = ParseLog(0);
  return result;
}

TLogFollower::TReadResult TLogFollower::ReadChanges(TLogLoadResult& AResult) {
  QFile file;
  if (!OpenLogFile(file))
    return TReadResult::Failed;
  if (!FHead.isEmpty() && file.read(FHead.size()) != FHead)
    return TReadResult::NeedFullLoad;
  if (!file.seek(FTailOffset))
    return TReadResult::NeedFullLoad;
  const QByteArray data = file.readAll();
  file.close();
  FLastBytesRead = FHead.size() + data.size();
  if (data.size() < FTail.size() ||
      std::memcmp(data.constData(), FTail.constData(), static_cast<size_t>(FTail.size())) != 0)
    return TReadResult::NeedFullLoad;

  const char* chunk = data.constData() + FTail.size();
  const std::int64_t chunkSize = data.size() - FTail.size();
  if (FEncodingInfo.BomSize == 0) {
    // The whole file decides between UTF-8 and Windows-1252.
    const bool utf8 = FPrefixIsUtf8 && IsValidUtf8(chunk, chunkSize);
    if (utf8 != (FEncoding == TLogEncoding::Utf8))
      return TReadResult::NeedFullLoad;
  }
  QString decoded = DecodeLogBytes(FEncoding, chunk, chunkSize);
  std::vector<qsizetype> starts;
  NormalizeLines(decoded, 0, starts);

  const qsizetype n = LineCount();
  const qsizetype first = n > 0 ? n - 1 : 0; // the chunk begins with the text's last line
  if (first + static_cast<qsizetype>(starts.size()) < n)
    return TReadResult::NeedFullLoad;

  bool replaced = false;
  if (n > 0) {
    const qsizetype end = starts.size() > 1 ? starts[1] - 1 : decoded.size();
    if (QStringView(decoded).left(end) != Line(n - 1)) {
      // The last line was still being written at the last load.
      FText.truncate(n > 1 ? FStarts.back() - 1 : 0);
      FStarts.pop_back();
      AppendLines(decoded, starts, 0);
      replaced = true;
    } else {
      AppendLines(decoded, starts, 1);
    }
  } else {
    AppendLines(decoded, starts, 0);
  }

  const std::int64_t newLastLine =
      LastLineStart(chunk, chunkSize, UnitSize(FEncoding), FEncoding == TLogEncoding::Utf16BE);
  if (FEncodingInfo.BomSize == 0)
    FPrefixIsUtf8 = FPrefixIsUtf8 && IsValidUtf8(chunk, newLastLine);
  FLastLineByte += newLastLine;
  RememberWindows(data, FTailOffset);

  if (!replaced && LineCount() == n)
    return TReadResult::Ok; // touched, not changed
  AResult.Kind = TLogLoadResult::TKind::Patched;
  AResult.ReplacedLine = replaced ? n - 1 : -1;
  AResult.FirstNewLine = n;
  AResult.FirstChangedEntry = ParseLog(replaced ? n - 1 : n);
  return TReadResult::Ok;
}

qsizetype TLogFollower::ParseLog(qsizetype StartLine) {
  static const QString kWarning = QStringLiteral("Warning");
  static const QString kError = QStringLiteral("Error");
  const TSearchOptions options = TSearchOption::soDown | TSearchOption::soWholeWord;

  if (StartLine <= 0) {
    StartLine = 0;
    FEntries.clear();
    FTotalErrors = 0;
    FTotalWarnings = 0;
  } else {
    // Lines classified again (a last line that was completed) lose their old
    // entries, so that one line is not listed and counted twice.
    while (!FEntries.empty() && FEntries.back().Line >= StartLine) {
      (FEntries.back().Kind == TLogEntryKind::Error ? FTotalErrors : FTotalWarnings) -= 1;
      FEntries.pop_back();
    }
  }
  const qsizetype firstChanged = static_cast<qsizetype>(FEntries.size());
  const qsizetype count = LineCount();
  for (qsizetype i = StartLine; i < count; ++i) {
    const QStringView line = Line(i);
    if (FShowWarnings && MayContain(line, QLatin1String("warn")) &&
        KeyWordInString(line, kWarning, options)) {
      FEntries.push_back({TLogEntryKind::Warning, i});
      ++FTotalWarnings;
    }
    if (FShowErrors && MayContain(line, QLatin1String("error")) &&
        KeyWordInString(line, kError, options)) {
      FEntries.push_back({TLogEntryKind::Error, i});
      ++FTotalErrors;
    }
  }
  return firstChanged;
}

} // namespace tilvane
