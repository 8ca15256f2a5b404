#include "core/common/IniFile.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/common/Paths.h"
#include "platform/Platform.h"

#include <QFile>
#include <QFileInfo>

namespace tilvane {

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
  const std::string platformPath = ToPlatform(FFileName);
  const bool wasHidden = QFileInfo::exists(FFileName) && FPlatform.IsHidden(platformPath);
  QString reason;
  // Every file this store writes may hold a password (the web login, the
  // game's join password): none of them is for other users of the machine.
  if (!ReplaceFileContents(FFileName, bytes, reason, TFileAccess::OwnerOnly))
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
