#include "core/modfolders/ModFolderIniFormat.h"

#include "core/common/IniFile.h"

namespace tilvane {

namespace {
const QString Common = QStringLiteral("Common");
const QString NumberOfModFolders = QStringLiteral("NumberOfModFolders");
const QString KeyName = QStringLiteral("Name");
const QString KeyFolder = QStringLiteral("Folder");
const QString KeyServerURL = QStringLiteral("DedicatedServerURL");
const QString KeyStatsFeedURL = QStringLiteral("StatsFeedURL");
const QString KeyWebUsername = QStringLiteral("WebUsername");
const QString KeyWebPassword = QStringLiteral("WebPassword");
const QString KeyAutoUpdate = QStringLiteral("AutoUpdateFromDedicatedServer");
const QString KeyRemoveMods = QStringLiteral("RemoveModsNotOnServer");
const QString KeyGameNameFilter = QStringLiteral("GameNameFilter");
const QString KeyGamePassword = QStringLiteral("GamePassword");
const QString KeyLegacyServerName = QStringLiteral("ServerName");
const QString KeyLegacyServerPassword = QStringLiteral("ServerPassword");

int ListedCount(const TIniDocument& ADoc) {
  return ADoc.ReadInteger(Common, NumberOfModFolders, 0);
}

bool NeedsPasswordMove(const TIniDocument& ADoc, const QString& ASection) {
  return !ADoc.ValueExists(ASection, KeyGamePassword) &&
         ADoc.ValueExists(ASection, KeyLegacyServerPassword);
}
} // namespace

QString TModFolderIniFormat::SectionName(int ANumber) {
  return QStringLiteral("ModFolder") + QString::number(ANumber);
}

TModFolderIniFormat::TList TModFolderIniFormat::Read(const TIniDocument& ADoc) {
  TList Result;
  const int Count = ListedCount(ADoc);
  if (Count > 0)
    Result.reserve(static_cast<size_t>(Count));
  for (int I = 1; I <= Count; ++I) {
    const QString Section = SectionName(I);
    auto Folder = std::make_unique<TModFolder>();
    Folder->Name = ADoc.ReadString(Section, KeyName, {});
    Folder->Folder = ADoc.ReadString(Section, KeyFolder, {});
    Folder->DedicatedServerURL = ADoc.ReadString(Section, KeyServerURL, {});
    // Files written before the feed was known have no such key: no feed.
    Folder->StatsFeedURL = ADoc.ReadString(Section, KeyStatsFeedURL, {});
    Folder->WebUsername = ADoc.ReadString(Section, KeyWebUsername, {});
    Folder->WebPassword = ADoc.ReadString(Section, KeyWebPassword, {});
    Folder->AutoUpdateFromDedicatedServer = ADoc.ReadBool(Section, KeyAutoUpdate, true);
    Folder->RemoveModsNotOnServer = ADoc.ReadBool(Section, KeyRemoveMods, true);
    Folder->GameNameFilter = ADoc.ReadString(Section, KeyGameNameFilter, {});
    if (Folder->GameNameFilter.isEmpty())
      Folder->GameNameFilter = ADoc.ReadString(Section, KeyLegacyServerName, {});
    // Until the move reaches the file, the old key still holds the password.
    Folder->GamePassword = NeedsPasswordMove(ADoc, Section)
                               ? ADoc.ReadString(Section, KeyLegacyServerPassword, {})
                               : ADoc.ReadString(Section, KeyGamePassword, {});
    Result.push_back(std::move(Folder));
  }
  return Result;
}

bool TModFolderIniFormat::HasLegacyPasswords(const TIniDocument& ADoc) {
  const int Count = ListedCount(ADoc);
  for (int I = 1; I <= Count; ++I) {
    if (NeedsPasswordMove(ADoc, SectionName(I)))
      return true;
  }
  return false;
}

void TModFolderIniFormat::MoveLegacyPasswords(TIniDocument& ADoc) {
  const int Count = ListedCount(ADoc);
  for (int I = 1; I <= Count; ++I) {
    const QString Section = SectionName(I);
    if (!NeedsPasswordMove(ADoc, Section))
      continue;
    ADoc.WriteString(Section, KeyGamePassword,
                     ADoc.ReadString(Section, KeyLegacyServerPassword, {}));
    ADoc.DeleteKey(Section, KeyLegacyServerPassword);
  }
}

void TModFolderIniFormat::Write(TIniDocument& ADoc, const TList& AList) {
  const int Count = static_cast<int>(AList.size());
  ADoc.WriteInteger(Common, NumberOfModFolders, Count);
  for (int K = Count + 1; K <= MaxSectionNumber; ++K) {
    const QString Section = SectionName(K);
    if (ADoc.SectionExists(Section))
      ADoc.EraseSection(Section);
  }
  for (int J = 1; J <= Count; ++J) {
    const TModFolder& Folder = *AList[static_cast<size_t>(J - 1)];
    const QString Section = SectionName(J);
    ADoc.WriteString(Section, KeyName, Folder.Name);
    ADoc.WriteString(Section, KeyFolder, Folder.Folder);
    ADoc.WriteString(Section, KeyServerURL, Folder.DedicatedServerURL);
    ADoc.WriteString(Section, KeyStatsFeedURL, Folder.StatsFeedURL);
    ADoc.WriteString(Section, KeyWebUsername, Folder.WebUsername);
    ADoc.WriteString(Section, KeyWebPassword, Folder.WebPassword);
    ADoc.WriteBool(Section, KeyAutoUpdate, Folder.AutoUpdateFromDedicatedServer);
    ADoc.WriteBool(Section, KeyRemoveMods, Folder.RemoveModsNotOnServer);
    ADoc.WriteString(Section, KeyGameNameFilter, Folder.GameNameFilter);
    ADoc.WriteString(Section, KeyGamePassword, Folder.GamePassword);
  }
}

} // namespace tilvane
