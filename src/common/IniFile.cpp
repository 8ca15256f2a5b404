#include "common/IniFile.h"

#include "common/AppError.h"
#include "common/Paths.h"
#include "platform/Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tilvane {

namespace {

// A file nobody may write to stands for the read-only attribute: the program
// must not replace it, even where the file system would let the rename through
// (for example when running as root).
bool IsReadOnly(const QFileInfo& info) {
  constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return (info.permissions() & anyWrite) == 0 || !info.isWritable();
}

} // namespace

TIniFile::TIniFile(QString fileName, platform::IPlatform& platform)
    : FFileName(std::move(fileName)), FPlatform(platform) {}

TIniFile::~TIniFile() = default;

TIniDocument TIniFile::ReadDocument() const {
  QFile file(FFileName);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return TIniDocument::FromBytes(file.readAll());
}

void TIniFile::RaiseWriteError() const {
  throw EAppError(QStringLiteral("Unable to write to %1").arg(FFileName));
}

void TIniFile::Update(const std::function<void(TIniDocument&)>& edit) {
  TIniDocument doc;
  const QFileInfo info(FFileName);
  if (info.exists()) {
    // Writing on top of content we could not read would throw that content away.
    QFile file(FFileName);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
      RaiseWriteError();
    doc = TIniDocument::FromBytes(file.readAll());
    if (file.error() != QFileDevice::NoError)
      RaiseWriteError();
  }
  edit(doc);
  if (doc.IsModified())
    Save(doc.ToBytes());
}

void TIniFile::Save(const QByteArray& bytes) {
  const QFileInfo info(FFileName);
  if (info.exists() && IsReadOnly(info))
    RaiseWriteError();
  const std::string platformPath = ToPlatform(FFileName);
  const bool wasHidden = info.exists() && FPlatform.IsHidden(platformPath);

  // The new content goes to a sibling temporary file that is flushed to disk
  // and then renamed over the old file: a crash or a full disk at any moment
  // leaves either the old or the new file, never a mix or a stump.
  QSaveFile file(FFileName);
  if (!file.open(QIODevice::WriteOnly))
    RaiseWriteError();
  // QSaveFile::commit() does not look at a failure of its final flush (a full
  // disk) and would rename the stump into place: flush and check first.
  if (file.write(bytes) != bytes.size() || !file.flush()) {
    file.cancelWriting();
    RaiseWriteError();
  }
  if (!file.commit())
    RaiseWriteError();

  // The replacement is a new file: give it the old one's hidden attribute.
  // Failing to do so costs only looks, so it does not fail the write.
  if (wasHidden)
    FPlatform.SetHidden(platformPath, true);
}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
  return ReadDocument().ReadString(section, key, defaultValue);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
  return ReadDocument().ReadInteger(section, key, defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
  return ReadDocument().ReadBool(section, key, defaultValue);
}

bool TIniFile::SectionExists(const QString& section) const {
  return ReadDocument().SectionExists(section);
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
  return ReadDocument().ValueExists(section, key);
}

QStringList TIniFile::ReadSections() const {
  return ReadDocument().ReadSections();
}

QStringList TIniFile::ReadSectionKeys(const QString& section) const {
  return ReadDocument().ReadSectionKeys(section);
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
  Update([&](TIniDocument& doc) { doc.WriteString(section, key, value); });
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
  Update([&](TIniDocument& doc) { doc.WriteInteger(section, key, value); });
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
  Update([&](TIniDocument& doc) { doc.WriteBool(section, key, value); });
}

void TIniFile::DeleteKey(const QString& section, const QString& key) {
  Update([&](TIniDocument& doc) { doc.DeleteKey(section, key); });
}

void TIniFile::EraseSection(const QString& section) {
  Update([&](TIniDocument& doc) { doc.EraseSection(section); });
}

} // namespace tilvane
