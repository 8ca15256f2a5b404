#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace tilvane {

namespace platform {
class IPlatform;
}

class TIniDocument;

// An INI file on disk with the store semantics every settings file of the
// program shares: section and key names match ignoring letter case, reads see
// the file's current content (nothing is cached), and every write reaches the
// file before the call returns. A write replaces the file atomically and keeps
// its hidden attribute; when it fails it raises "Unable to write to <path>" and
// the old file stays byte for byte. Reads never fail: any problem gives the
// default.
class TIniFile {
public:
  TIniFile(QString fileName, platform::IPlatform& platform);
  ~TIniFile();

  const QString& FileName() const { return FFileName; }

  QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
  int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
  bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;
  QStringList ReadSections() const;
  QStringList ReadSectionKeys(const QString& section) const;

  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);
  void DeleteKey(const QString& section, const QString& key);
  void EraseSection(const QString& section);

  // The file's current content, read once: for callers that read many keys
  // (a list of hundreds of mod folders) without reading the file for each.
  // Empty when the file is missing or unreadable.
  TIniDocument ReadDocument() const;

  // Runs many reads and writes against one reading of the file and replaces the
  // file once at the end. The result on disk is what the same calls one by one
  // would give; when the write fails, the old file stays whole and the error
  // is raised. Nothing is written when `edit` throws or changes nothing.
  void Update(const std::function<void(TIniDocument&)>& edit);

private:
  void Save(const QByteArray& bytes);
  [[noreturn]] void RaiseWriteError() const;

  QString FFileName;
  platform::IPlatform& FPlatform;
};

// The parsed content of an INI file, with the same read and write semantics
// as TIniFile but in memory. Keeps every line it does not change.
class TIniDocument {
public:
  TIniDocument();
  ~TIniDocument();
  TIniDocument(const TIniDocument&);
  TIniDocument& operator=(const TIniDocument&);

  // Reads UTF-8 (with or without a byte-order mark) and UTF-16 with a
  // byte-order mark; bytes that are not valid UTF-8 are read as Windows-1252.
  // Any line break (CR, LF, CR LF) ends a line.
  static TIniDocument FromBytes(const QByteArray& bytes);
  QByteArray ToBytes() const; // UTF-8, no byte-order mark, CR LF line breaks

  // True once a write, or a deletion that found something, changed the content.
  bool IsModified() const;

  QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
  int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
  bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;
  QStringList ReadSections() const;
  QStringList ReadSectionKeys(const QString& section) const;

  void WriteString(const QString& section, const QString& key, const QString& value);
  void WriteInteger(const QString& section, const QString& key, int value);
  void WriteBool(const QString& section, const QString& key, bool value);
  void DeleteKey(const QString& section, const QString& key);
  void EraseSection(const QString& section);

private:
  struct Data;
  std::unique_ptr<Data> d;
};

} // namespace tilvane
