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
  QFile file(AFileName);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return TIniDocument::FromBytes(file.readAll());
}

[[noreturn]] void RaiseArgumentOutOfRange() {
  throw EAppError(QStringLiteral("Argument out of range"));
}
} // namespace

TIniFile& TdmMain::GetIniFileForFS(TFSVersion FSVersion) {
  const QString fileName = JoinPath(GetIniFilePath(), FSIniFileName(FSVersion));
  for (const auto& ini : FFSIniList) {
    if (ini->FileName() == fileName)
      return *ini;
  }
  const bool existed = QFileInfo::exists(fileName);
  FFSIniList.push_back(std::make_unique<TIniFile>(fileName, FPlatform));
  TIniFile& ini = *FFSIniList.back();
  if (!existed)
    DoFirstTimeStart(FSVersion);
  return ini;
}

void TdmMain::DoFirstTimeStart(TFSVersion FSVersion) {
  auto folder = std::make_unique<TModFolder>();
  folder->Name = QStringLiteral("Default Mod Folder");
  folder->AutoUpdateFromDedicatedServer = true;
  FModFolderList.clear();
  FModFolderList.push_back(std::move(folder));
  SaveModFolders(FSVersion);
}

void TdmMain::LoadModFolders(TFSVersion FSVersion) {
  TIniFile& ini = GetIniFileForFS(FSVersion);
  const TIniDocument doc = ReadIniDocument(ini.FileName());
  if (TModFolderIniFormat::HasLegacyPasswords(doc))
    ini.Update([](TIniDocument& ADoc) { TModFolderIniFormat::MoveLegacyPasswords(ADoc); });
  FModFolderList = TModFolderIniFormat::Read(doc);
}

void TdmMain::SaveModFolders(TFSVersion FSVersion) {
  TIniFile& ini = GetIniFileForFS(FSVersion);
  // One replacement of the file for the whole list: a failed write leaves the
  // previous list whole instead of a mixture of old and new sections.
  ini.Update([this](TIniDocument& ADoc) { TModFolderIniFormat::Write(ADoc, FModFolderList); });
  FPlatform.SetHidden(ToPlatform(ini.FileName()), true);
}

int TdmMain::IndexOfModFolder(const TModFolder* AModFolder) const {
  for (size_t i = 0; i < FModFolderList.size(); ++i) {
    if (FModFolderList[i].get() == AModFolder)
      return static_cast<int>(i);
  }
  RaiseArgumentOutOfRange();
}

void TdmMain::MoveModFolder(TFSVersion AFSVersion, TModFolder* AModFolder, int ANewIndex) {
  const int index = IndexOfModFolder(AModFolder);
  if (ANewIndex < 0 || ANewIndex >= static_cast<int>(FModFolderList.size()))
    RaiseArgumentOutOfRange();
  std::unique_ptr<TModFolder> moved = std::move(FModFolderList[static_cast<size_t>(index)]);
  FModFolderList.erase(FModFolderList.begin() + index);
  FModFolderList.insert(FModFolderList.begin() + ANewIndex, std::move(moved));
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
  const int index = IndexOfModFolder(AModFolder);
  if (ADeleteFolder && !AModFolder->Folder.isEmpty())
    DeleteDirAndFiles(AModFolder->Folder, QStringLiteral("*.zip"), false, true);
  FModFolderList.erase(FModFolderList.begin() + index);
  SaveModFolders(AFSVersion);
}

bool TdmMain::GetFSShowTab(TFSVersion FSVersion) {
  return GetIniFileForFS(FSVersion).ReadString(Common, ShowTab, QStringLiteral("1")) ==
         QLatin1String("1");
}

void TdmMain::SetFSShowTab(TFSVersion FSVersion, bool Value) {
  GetIniFileForFS(FSVersion).WriteString(Common, ShowTab,
                                         Value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace tilvane
