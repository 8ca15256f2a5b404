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
constexpr std::int64_t Window = 64 * 1024;

// Turns CR LF, CR and LF into LF in place and records where each line starts
// (offset by ABase). A line end at the very end begins no further line.
void NormalizeLines(QString& AText, qsizetype ABase, std::vector<qsizetype>& AStarts) {
  const qsizetype N = AText.size();
  if (N == 0)
    return;
  char16_t* D = reinterpret_cast<char16_t*>(AText.data());
  qsizetype W = 0;
  AStarts.push_back(ABase);
  for (qsizetype R = 0; R < N; ++R) {
    const char16_t C = D[R];
    if (C == u'\r' || C == u'\n') {
      if (C == u'\r' && R + 1 < N && D[R + 1] == u'\n')
        ++R;
      if (R + 1 < N) {
        D[W++] = u'\n';
        AStarts.push_back(ABase + W);
      }
    } else {
      D[W++] = C;
    }
  }
  AText.truncate(W);
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
  const qsizetype M = ALower.size();
  const char16_t* D = ALine.utf16();
  for (qsizetype I = 0, Last = ALine.size() - M; I <= Last; ++I) {
    qsizetype K = 0;
    while (K < M && (D[I + K] | 0x20) == static_cast<char16_t>(ALower.data()[K]))
      ++K;
    if (K == M)
      return true;
  }
  return false;
}

} // namespace

QStringView TLogFollower::Line(qsizetype AIndex) const {
  const qsizetype Start = FStarts[static_cast<size_t>(AIndex)];
  const qsizetype End =
      AIndex + 1 < LineCount() ? FStarts[static_cast<size_t>(AIndex) + 1] - 1 : FText.size();
  return QStringView(FText).mid(Start, End - Start);
}

QStringView TLogFollower::TextFrom(qsizetype AFirst) const {
  if (AFirst >= LineCount())
    return {};
  return QStringView(FText).mid(FStarts[static_cast<size_t>(AFirst)]);
}

QString TLogFollower::EntryText(qsizetype AIndex) const {
  const TLogEntry& Entry = FEntries[static_cast<size_t>(AIndex)];
  const QLatin1String Prefix = Entry.Kind == TLogEntryKind::Warning ? QLatin1String("[Warning] ")
                                                                    : QLatin1String("[Error] ");
  return Prefix + QString::number(Entry.Line + 1) + QLatin1String(":  ") +
         Line(Entry.Line).toString();
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
  const qsizetype From = AStarts[AFirst];
  if (!FStarts.empty())
    FText.append(u'\n');
  const qsizetype Shift = FText.size() - From;
  for (size_t I = AFirst; I < AStarts.size(); ++I)
    FStarts.push_back(AStarts[I] + Shift);
  FText.append(QStringView(ANormalized).mid(From));
}

void TLogFollower::RememberWindows(const QByteArray& AData, std::int64_t ADataOffset) {
  const std::int64_t HeadEnd = std::min(Window, FLastLineByte);
  if (FHead.size() < HeadEnd)
    FHead.append(AData.constData() + (FHead.size() - ADataOffset), HeadEnd - FHead.size());
  const std::int64_t TailStart = std::max(HeadEnd, FLastLineByte - Window);
  FTail = AData.mid(TailStart - ADataOffset, FLastLineByte - TailStart);
  FTailOffset = TailStart;
}

bool TLogFollower::OpenLogFile(QFile& AFile) {
  AFile.setFileName(FLogFileName);
  // After a load that gave up, try once per call: the window must not stall
  // on every tick while the game keeps the file locked.
  const int Attempts = FLastOpenFailed ? 1 : FOpenAttempts;
  for (int Attempt = 1;; ++Attempt) {
    if (AFile.open(QIODevice::ReadOnly)) {
      FLastOpenFailed = false;
      return true;
    }
    if (Attempt >= Attempts)
      break;
    QThread::msleep(static_cast<unsigned long>(FOpenDelayMs));
  }
  FLastOpenFailed = true;
  return false;
}

TLogLoadResult TLogFollower::LoadLogFile(bool AForceLoad) {
  TLogLoadResult Result;
  const QFileInfo Info(FLogFileName);
  if (!Info.exists()) {
    const bool HadContent = !FStarts.empty() || !FEntries.empty();
    Clear();
    ParseLog(0);
    // Forget the old file: a file that comes back must be read even if its
    // time and size happen to match.
    FLastLogDT = QDateTime();
    FLastLogSize = -1;
    Result.Kind = HadContent ? TLogLoadResult::TKind::Emptied : TLogLoadResult::TKind::Unchanged;
    return Result;
  }
  // Taken before reading: a write during the read shows as a change next time.
  const QDateTime Time = Info.lastModified();
  const std::int64_t Size = Info.size();
  if (!AForceLoad && FCanFollow && Time == FLastLogDT && Size == FLastLogSize)
    return Result;

  if (!AForceLoad && FCanFollow && Size >= FLastLogSize) {
    switch (ReadChanges(Result)) {
    case TReadResult::Ok:
      FLastLogDT = Time;
      FLastLogSize = Size;
      return Result;
    case TReadResult::Failed:
      Result.Kind = TLogLoadResult::TKind::OpenFailed;
      return Result;
    case TReadResult::NeedFullLoad:
      break;
    }
  }
  return FullLoad(Time, Size);
}

TLogLoadResult TLogFollower::FullLoad(const QDateTime& ATime, std::int64_t ASize) {
  TLogLoadResult Result;
  QFile File;
  if (!OpenLogFile(File)) {
    Result.Kind = TLogLoadResult::TKind::OpenFailed;
    return Result;
  }
  QByteArray Data = File.readAll();
  File.close();
  FLastBytesRead = Data.size();
  Clear();

  FEncodingInfo = DetectLogEncoding(Data.constData(), Data.size());
  FEncoding = FEncodingInfo.Encoding;
  const int Bom = FEncodingInfo.BomSize;
  const char* Body = Data.constData() + Bom;
  const std::int64_t BodySize = Data.size() - Bom;
  const std::int64_t LastLine =
      LastLineStart(Body, BodySize, UnitSize(FEncoding), FEncoding == TLogEncoding::Utf16BE);
  FLastLineByte = Bom + LastLine;
  FPrefixIsUtf8 = Bom != 0 || FEncoding == TLogEncoding::Utf8 || IsValidUtf8(Body, LastLine);
  FHead.clear();
  RememberWindows(Data, 0);

  QString Decoded = DecodeLogBytes(FEncoding, Body, BodySize);
  Data = QByteArray(); // the bytes are not needed beyond this point: keep the peak low
  NormalizeLines(Decoded, 0, FStarts);
  FText = std::move(Decoded);
  // A file this short may still be growing into a byte-order mark.
  FCanFollow = ASize >= 3 && FLastBytesRead >= 3;
  FLastLogDT = ATime;
  FLastLogSize = ASize;

  Result.Kind = TLogLoadResult::TKind::Replaced;
  Result.FirstChangedEntry = ParseLog(0);
  return Result;
}

TLogFollower::TReadResult TLogFollower::ReadChanges(TLogLoadResult& AResult) {
  QFile File;
  if (!OpenLogFile(File))
    return TReadResult::Failed;
  if (!FHead.isEmpty() && File.read(FHead.size()) != FHead)
    return TReadResult::NeedFullLoad;
  if (!File.seek(FTailOffset))
    return TReadResult::NeedFullLoad;
  const QByteArray Data = File.readAll();
  File.close();
  FLastBytesRead = FHead.size() + Data.size();
  if (Data.size() < FTail.size() ||
      std::memcmp(Data.constData(), FTail.constData(), static_cast<size_t>(FTail.size())) != 0)
    return TReadResult::NeedFullLoad;

  const char* Chunk = Data.constData() + FTail.size();
  const std::int64_t ChunkSize = Data.size() - FTail.size();
  if (FEncodingInfo.BomSize == 0) {
    // The whole file decides between UTF-8 and Windows-1252.
    const bool Utf8 = FPrefixIsUtf8 && IsValidUtf8(Chunk, ChunkSize);
    if (Utf8 != (FEncoding == TLogEncoding::Utf8))
      return TReadResult::NeedFullLoad;
  }
  QString Decoded = DecodeLogBytes(FEncoding, Chunk, ChunkSize);
  std::vector<qsizetype> Starts;
  NormalizeLines(Decoded, 0, Starts);

  const qsizetype N = LineCount();
  const qsizetype First = N > 0 ? N - 1 : 0; // the chunk begins with the text's last line
  if (First + static_cast<qsizetype>(Starts.size()) < N)
    return TReadResult::NeedFullLoad;

  bool Replaced = false;
  if (N > 0) {
    const qsizetype End = Starts.size() > 1 ? Starts[1] - 1 : Decoded.size();
    if (QStringView(Decoded).left(End) != Line(N - 1)) {
      // The last line was still being written at the last load.
      FText.truncate(N > 1 ? FStarts.back() - 1 : 0);
      FStarts.pop_back();
      AppendLines(Decoded, Starts, 0);
      Replaced = true;
    } else {
      AppendLines(Decoded, Starts, 1);
    }
  } else {
    AppendLines(Decoded, Starts, 0);
  }

  const std::int64_t NewLastLine =
      LastLineStart(Chunk, ChunkSize, UnitSize(FEncoding), FEncoding == TLogEncoding::Utf16BE);
  if (FEncodingInfo.BomSize == 0)
    FPrefixIsUtf8 = FPrefixIsUtf8 && IsValidUtf8(Chunk, NewLastLine);
  FLastLineByte += NewLastLine;
  RememberWindows(Data, FTailOffset);

  if (!Replaced && LineCount() == N)
    return TReadResult::Ok; // touched, not changed
  AResult.Kind = TLogLoadResult::TKind::Patched;
  AResult.ReplacedLine = Replaced ? N - 1 : -1;
  AResult.FirstNewLine = N;
  AResult.FirstChangedEntry = ParseLog(Replaced ? N - 1 : N);
  return TReadResult::Ok;
}

qsizetype TLogFollower::ParseLog(qsizetype AStartLine) {
  static const QString WarningWord = QStringLiteral("Warning");
  static const QString ErrorWord = QStringLiteral("Error");
  const TSearchOptions Options = TSearchOption::soDown | TSearchOption::soWholeWord;

  if (AStartLine <= 0) {
    AStartLine = 0;
    FEntries.clear();
    FTotalErrors = 0;
    FTotalWarnings = 0;
  } else {
    // Lines classified again (a last line that was completed) lose their old
    // entries, so that one line is not listed and counted twice.
    while (!FEntries.empty() && FEntries.back().Line >= AStartLine) {
      (FEntries.back().Kind == TLogEntryKind::Error ? FTotalErrors : FTotalWarnings) -= 1;
      FEntries.pop_back();
    }
  }
  const qsizetype FirstChanged = static_cast<qsizetype>(FEntries.size());
  const qsizetype Count = LineCount();
  for (qsizetype I = AStartLine; I < Count; ++I) {
    const QStringView LineText = Line(I);
    if (FShowWarnings && MayContain(LineText, QLatin1String("warn")) &&
        KeyWordInString(LineText, WarningWord, Options)) {
      FEntries.push_back({TLogEntryKind::Warning, I});
      ++FTotalWarnings;
    }
    if (FShowErrors && MayContain(LineText, QLatin1String("error")) &&
        KeyWordInString(LineText, ErrorWord, Options)) {
      FEntries.push_back({TLogEntryKind::Error, I});
      ++FTotalErrors;
    }
  }
  return FirstChanged;
}

} // namespace tilvane
