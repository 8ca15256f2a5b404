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
  TIniFile(QString AFileName, platform::IPlatform& APlatform);
  ~TIniFile();

  const QString& FileName() const { return FFileName; }

  QString ReadString(const QString& ASection, const QString& AKey,
                     const QString& ADefaultValue) const;
  int ReadInteger(const QString& ASection, const QString& AKey, int ADefaultValue) const;
  bool ReadBool(const QString& ASection, const QString& AKey, bool ADefaultValue) const;
  bool SectionExists(const QString& ASection) const;
  bool ValueExists(const QString& ASection, const QString& AKey) const;
  QStringList ReadSections() const;
  QStringList ReadSectionKeys(const QString& ASection) const;

  void WriteString(const QString& ASection, const QString& AKey, const QString& AValue);
  void WriteInteger(const QString& ASection, const QString& AKey, int AValue);
  void WriteBool(const QString& ASection, const QString& AKey, bool AValue);
  void DeleteKey(const QString& ASection, const QString& AKey);
  void EraseSection(const QString& ASection);

  // The file's current content, read once: for callers that read many keys
  // (a list of hundreds of mod folders) without reading the file for each.
  // Empty when the file is missing or unreadable.
  TIniDocument ReadDocument() const;

  // Runs many reads and writes against one reading of the file and replaces the
  // file once at the end. The result on disk is what the same calls one by one
  // would give; when the write fails, the old file stays whole and the error
  // is raised. Nothing is written when `edit` throws or changes nothing.
  void Update(const std::function<void(TIniDocument&)>& AEdit);

private:
  void Save(const QByteArray& ABytes);
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
  static TIniDocument FromBytes(const QByteArray& ABytes);
  QByteArray ToBytes() const; // UTF-8, no byte-order mark, CR LF line breaks

  // True once a write, or a deletion that found something, changed the content.
  bool IsModified() const;

  QString ReadString(const QString& ASection, const QString& AKey,
                     const QString& ADefaultValue) const;
  int ReadInteger(const QString& ASection, const QString& AKey, int ADefaultValue) const;
  bool ReadBool(const QString& ASection, const QString& AKey, bool ADefaultValue) const;
  bool SectionExists(const QString& ASection) const;
  bool ValueExists(const QString& ASection, const QString& AKey) const;
  QStringList ReadSections() const;
  QStringList ReadSectionKeys(const QString& ASection) const;

  void WriteString(const QString& ASection, const QString& AKey, const QString& AValue);
  void WriteInteger(const QString& ASection, const QString& AKey, int AValue);
  void WriteBool(const QString& ASection, const QString& AKey, bool AValue);
  void DeleteKey(const QString& ASection, const QString& AKey);
  void EraseSection(const QString& ASection);

private:
  struct Data;
  std::unique_ptr<Data> FData;
};

} // namespace tilvane
