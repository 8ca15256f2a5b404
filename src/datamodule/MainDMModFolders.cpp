#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/CommonUtilities.h"
#include "core/common/Paths.h"
#include "core/modfolders/ModFolderIniFormat.h"
#include "platform/Platform.h"

#include <QFile>
#include <QFileInfo>

namespace tilvane {

namespace {
const QString Common = QStringLiteral("Common");
const QString ShowTab = QStringLiteral("ShowTab");

// One reading of the whole file: a list of a hundred folders is read in one
// go rather than with a file read per key.
TIniDocument ReadIniDocument(const QString& AFileName) {
  QFile File(AFileName);
  if (!File.open(QIODevice::ReadOnly))
    return {};
  return TIniDocument::FromBytes(File.readAll());
}

[[noreturn]] void RaiseArgumentOutOfRange() {
  throw EAppError(QStringLiteral("Argument out of range"));
}
} // namespace

TIniFile& TdmMain::GetIniFileForFS(TFSVersion AFSVersion) {
  const QString FileName = JoinPath(GetIniFilePath(), FSIniFileName(AFSVersion));
  for (const auto& Ini : FFSIniList) {
    if (Ini->FileName() == FileName)
      return *Ini;
  }
  const bool Existed = QFileInfo::exists(FileName);
  FFSIniList.push_back(std::make_unique<TIniFile>(FileName, FPlatform));
  TIniFile& Ini = *FFSIniList.back();
  if (!Existed)
    DoFirstTimeStart(AFSVersion);
  return Ini;
}

void TdmMain::DoFirstTimeStart(TFSVersion AFSVersion) {
  auto Folder = std::make_unique<TModFolder>();
  Folder->Name = QStringLiteral("Default Mod Folder");
  Folder->AutoUpdateFromDedicatedServer = true;
  FModFolderList.clear();
  FModFolderList.push_back(std::move(Folder));
  SaveModFolders(AFSVersion);
}

void TdmMain::LoadModFolders(TFSVersion AFSVersion) {
  TIniFile& Ini = GetIniFileForFS(AFSVersion);
  const TIniDocument Doc = ReadIniDocument(Ini.FileName());
  if (TModFolderIniFormat::HasLegacyPasswords(Doc))
    Ini.Update([](TIniDocument& ADoc) { TModFolderIniFormat::MoveLegacyPasswords(ADoc); });
  FModFolderList = TModFolderIniFormat::Read(Doc);
}

TModFolderList TdmMain::ReadModFolders(TFSVersion AFSVersion) const {
  if (!HasModFolderFile(AFSVersion))
    return {};
  return TModFolderIniFormat::Read(
      ReadIniDocument(JoinPath(GetIniFilePath(), FSIniFileName(AFSVersion))));
}

bool TdmMain::HasModFolderFile(TFSVersion AFSVersion) const {
  return QFileInfo::exists(JoinPath(GetIniFilePath(), FSIniFileName(AFSVersion)));
}

void TdmMain::SaveModFolders(TFSVersion AFSVersion) {
  TIniFile& Ini = GetIniFileForFS(AFSVersion);
  // One replacement of the file for the whole list: a failed write leaves the
  // previous list whole instead of a mixture of old and new sections.
  Ini.Update([this](TIniDocument& ADoc) { TModFolderIniFormat::Write(ADoc, FModFolderList); });
  FPlatform.SetHidden(ToPlatform(Ini.FileName()), true);
}

int TdmMain::IndexOfModFolder(const TModFolder* AModFolder) const {
  for (size_t I = 0; I < FModFolderList.size(); ++I) {
    if (FModFolderList[I].get() == AModFolder)
      return static_cast<int>(I);
  }
  RaiseArgumentOutOfRange();
}

void TdmMain::MoveModFolder(TFSVersion AFSVersion, TModFolder* AModFolder, int ANewIndex) {
  const int Index = IndexOfModFolder(AModFolder);
  if (ANewIndex < 0 || ANewIndex >= static_cast<int>(FModFolderList.size()))
    RaiseArgumentOutOfRange();
  std::unique_ptr<TModFolder> Moved = std::move(FModFolderList[static_cast<size_t>(Index)]);
  FModFolderList.erase(FModFolderList.begin() + Index);
  FModFolderList.insert(FModFolderList.begin() + ANewIndex, std::move(Moved));
  SaveModFolders(AFSVersion);
}

void TdmMain::MoveToFirst(TFSVersion AFSVersion, TModFolder* AModFolder) {
  MoveModFolder(AFSVersion, AModFolder, 0);
}

void TdmMain::MoveUp(TFSVersion AFSVersion, TModFolder* AModFolder) {
  MoveModFolder(AFSVersion, AModFolder, IndexOfModFolder(AModFolder) - 1);
}

void TdmMain::MoveDown(TFSVersion AFSVersion, TModFolder* AModFolder) {
  MoveModFolder(AFSVersion, AModFolder, IndexOfModFolder(AModFolder) + 1);
}

void TdmMain::MoveToLast(TFSVersion AFSVersion, TModFolder* AModFolder) {
  MoveModFolder(AFSVersion, AModFolder, static_cast<int>(FModFolderList.size()) - 1);
}

void TdmMain::DeleteModFolder(TFSVersion AFSVersion, TModFolder* AModFolder, bool ADeleteFolder) {
  // A folder that is not in the list is refused before anything on disk goes.
  const int Index = IndexOfModFolder(AModFolder);
  if (ADeleteFolder && !AModFolder->Folder.isEmpty())
    DeleteDirAndFiles(AModFolder->Folder, QStringLiteral("*.zip"), false, true);
  FModFolderList.erase(FModFolderList.begin() + Index);
  SaveModFolders(AFSVersion);
}

bool TdmMain::GetFSShowTab(TFSVersion AFSVersion) {
  return GetIniFileForFS(AFSVersion).ReadString(Common, ShowTab, QStringLiteral("1")) ==
         QLatin1String("1");
}

void TdmMain::SetFSShowTab(TFSVersion AFSVersion, bool AValue) {
  GetIniFileForFS(AFSVersion)
      .WriteString(Common, ShowTab, AValue ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace tilvane
