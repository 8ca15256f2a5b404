#pragma once

#include "core/logviewer/LogDecoding.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <vector>

namespace tilvane {

enum class TLogEntryKind { Warning, Error };

// One line of the log that mentions a warning or an error.
struct TLogEntry {
  TLogEntryKind Kind;
  qsizetype Line; // 0-based
};

// What a load did to the text, so that a view can follow with the least work.
struct TLogLoadResult {
  enum class TKind {
    Unchanged,  // nothing to do
    Emptied,    // the file is gone: the text is empty now
    Replaced,   // the whole text is new
    Patched,    // ReplacedLine (when >= 0) was rewritten, lines from FirstNewLine on appended
    OpenFailed, // the file could not be read: the text is as it was
  };
  TKind Kind = TKind::Unchanged;
  qsizetype ReplacedLine = -1;
  qsizetype FirstNewLine = 0;
  // Entries from this index on are new; those that were there from it on are gone.
  qsizetype FirstChangedEntry = 0;
};

// Follows the game's log while the game writes it: keeps the file's lines and
// the list of lines that carry a warning or an error. Meant to be called twice
// a second for hours: an unchanged file costs one stat, and a grown file costs
// reading the bytes from the start of the last line on (plus two small windows
// of earlier bytes that tell a grown file from a rewritten one), decoding them
// and classifying the new lines only.
class TLogFollower {
public:
  TLogFollower() = default;

  const QString& LogFileName() const { return FLogFileName; }
  // Takes effect at the next load; call LoadLogFile(true) to show the file.
  void SetLogFileName(const QString& AFileName) { FLogFileName = AFileName; }

  // ForceLoad reads the whole file; otherwise only what changed since the
  // last load is read.
  TLogLoadResult LoadLogFile(bool AForceLoad);

  // Classifies the lines from StartLine (0-based) on; 0 rebuilds the list.
  // Returns the index of the first entry that changed.
  qsizetype ParseLog(qsizetype AStartLine);

  bool ShowErrors() const { return FShowErrors; }
  void SetShowErrors(bool AValue) { FShowErrors = AValue; }
  bool ShowWarnings() const { return FShowWarnings; }
  void SetShowWarnings(bool AValue) { FShowWarnings = AValue; }

  qsizetype LineCount() const { return static_cast<qsizetype>(FStarts.size()); }
  QStringView Line(qsizetype AIndex) const;
  // The lines joined by LF, no line end after the last one.
  const QString& Text() const { return FText; }
  // Lines [AFirst, LineCount()) joined by LF.
  QStringView TextFrom(qsizetype AFirst) const;

  const std::vector<TLogEntry>& Entries() const { return FEntries; }
  // "[Warning] 12:  text" or "[Error] 12:  text".
  QString EntryText(qsizetype AIndex) const;
  qsizetype TotalErrors() const { return FTotalErrors; }
  qsizetype TotalWarnings() const { return FTotalWarnings; }

  const QDateTime& LastLogDT() const { return FLastLogDT; }
  std::int64_t LastLogSize() const { return FLastLogSize; }
  TLogEncoding Encoding() const { return FEncoding; }
  // Bytes read by the last load (for tests and measurements).
  std::int64_t LastBytesRead() const { return FLastBytesRead; }

  // An open that fails is tried again up to AAttempts times in all, ADelayMs
  // apart; then the load gives up until the next call, which tries once.
  void SetOpenRetry(int AAttempts, int ADelayMs);

private:
  enum class TReadResult { Ok, Failed, NeedFullLoad };

  TLogLoadResult FullLoad(const QDateTime& ATime, std::int64_t ASize);
  TReadResult ReadChanges(TLogLoadResult& AResult);
  bool OpenLogFile(QFile& AFile);
  void Clear();
  // Appends the lines from AFirst on of text that NormalizeLines already
  // split, AStarts being its line starts.
  void AppendLines(const QString& ANormalized, const std::vector<qsizetype>& AStarts,
                   size_t AFirst);
  void RememberWindows(const QByteArray& AData, std::int64_t ADataOffset);

  QString FLogFileName;
  QDateTime FLastLogDT;
  std::int64_t FLastLogSize = -1;
  bool FShowErrors = true;
  bool FShowWarnings = true;

  QString FText;
  std::vector<qsizetype> FStarts; // index of each line's first character in FText
  std::vector<TLogEntry> FEntries;
  qsizetype FTotalErrors = 0;
  qsizetype FTotalWarnings = 0;

  // What the incremental read needs to know about the file as last loaded.
  bool FCanFollow = false;
  TLogEncodingInfo FEncodingInfo;
  TLogEncoding FEncoding = TLogEncoding::Utf8;
  bool FPrefixIsUtf8 = true;      // the bytes before the last line are valid UTF-8
  std::int64_t FLastLineByte = 0; // file offset of the last line's first byte
  QByteArray FHead;               // the file's first bytes, up to FLastLineByte
  std::int64_t FTailOffset = 0;   // file offset of FTail
  QByteArray FTail;               // the bytes right before FLastLineByte
  std::int64_t FLastBytesRead = 0;

  int FOpenAttempts = 4;
  int FOpenDelayMs = 50;
  bool FLastOpenFailed = false;
};

} // namespace tilvane
