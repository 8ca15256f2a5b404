#include "core/common/IniFile.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/common/Paths.h"
#include "platform/Platform.h"

#include <QFile>
#include <QFileInfo>

namespace tilvane {

TIniFile::TIniFile(QString AFileName, platform::IPlatform& APlatform)
    : FFileName(std::move(AFileName)), FPlatform(APlatform) {}

TIniFile::~TIniFile() = default;

TIniDocument TIniFile::ReadDocument() const {
  QFile File(FFileName);
  if (!File.open(QIODevice::ReadOnly))
    return {};
  return TIniDocument::FromBytes(File.readAll());
}

void TIniFile::RaiseWriteError() const {
  throw EAppError(QStringLiteral("Unable to write to %1").arg(FFileName));
}

void TIniFile::Update(const std::function<void(TIniDocument&)>& AEdit) {
  TIniDocument Doc;
  const QFileInfo Info(FFileName);
  if (Info.exists()) {
    // Writing on top of content we could not read would throw that content away.
    QFile File(FFileName);
    if (Info.isDir() || !File.open(QIODevice::ReadOnly))
      RaiseWriteError();
    Doc = TIniDocument::FromBytes(File.readAll());
    if (File.error() != QFileDevice::NoError)
      RaiseWriteError();
  }
  AEdit(Doc);
  if (Doc.IsModified())
    Save(Doc.ToBytes());
}

void TIniFile::Save(const QByteArray& ABytes) {
  const std::string PlatformPath = ToPlatform(FFileName);
  const bool WasHidden = QFileInfo::exists(FFileName) && FPlatform.IsHidden(PlatformPath);
  QString Reason;
  // Every file this store writes may hold a password (the web login, the
  // game's join password): none of them is for other users of the machine.
  if (!ReplaceFileContents(FFileName, ABytes, Reason, TFileAccess::OwnerOnly))
    RaiseWriteError();
  // The replacement is a new file: give it the old one's hidden attribute.
  // Failing to do so costs only looks, so it does not fail the write.
  if (WasHidden)
    FPlatform.SetHidden(PlatformPath, true);
}

QString TIniFile::ReadString(const QString& ASection, const QString& AKey,
                             const QString& ADefaultValue) const {
  return ReadDocument().ReadString(ASection, AKey, ADefaultValue);
}

int TIniFile::ReadInteger(const QString& ASection, const QString& AKey, int ADefaultValue) const {
  return ReadDocument().ReadInteger(ASection, AKey, ADefaultValue);
}

bool TIniFile::ReadBool(const QString& ASection, const QString& AKey, bool ADefaultValue) const {
  return ReadDocument().ReadBool(ASection, AKey, ADefaultValue);
}

bool TIniFile::SectionExists(const QString& ASection) const {
  return ReadDocument().SectionExists(ASection);
}

bool TIniFile::ValueExists(const QString& ASection, const QString& AKey) const {
  return ReadDocument().ValueExists(ASection, AKey);
}

QStringList TIniFile::ReadSections() const {
  return ReadDocument().ReadSections();
}

QStringList TIniFile::ReadSectionKeys(const QString& ASection) const {
  return ReadDocument().ReadSectionKeys(ASection);
}

void TIniFile::WriteString(const QString& ASection, const QString& AKey, const QString& AValue) {
  Update([&](TIniDocument& ADoc) { ADoc.WriteString(ASection, AKey, AValue); });
}

void TIniFile::WriteInteger(const QString& ASection, const QString& AKey, int AValue) {
  Update([&](TIniDocument& ADoc) { ADoc.WriteInteger(ASection, AKey, AValue); });
}

void TIniFile::WriteBool(const QString& ASection, const QString& AKey, bool AValue) {
  Update([&](TIniDocument& ADoc) { ADoc.WriteBool(ASection, AKey, AValue); });
}

void TIniFile::DeleteKey(const QString& ASection, const QString& AKey) {
  Update([&](TIniDocument& ADoc) { ADoc.DeleteKey(ASection, AKey); });
}

void TIniFile::EraseSection(const QString& ASection) {
  Update([&](TIniDocument& ADoc) { ADoc.EraseSection(ASection); });
}

} // namespace tilvane
