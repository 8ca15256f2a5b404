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

  // Runs many reads and writes against one reading of the file and replaces the
  // file once at the end. The result on disk is what the same calls one by one
  // would give; when the write fails, the old file stays whole and the error
  // is raised. Nothing is written when `edit` throws.
  void Update(const std::function<void(TIniDocument&)>& edit);

private:
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

  static TIniDocument FromBytes(const QByteArray& bytes);
  QByteArray ToBytes() const; // UTF-8, no byte-order mark

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
