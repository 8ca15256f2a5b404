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
  TList result;
  const int count = ListedCount(ADoc);
  if (count > 0)
    result.reserve(static_cast<size_t>(count));
  for (int i = 1; i <= count; ++i) {
    const QString section = SectionName(i);
    auto folder = std::make_unique<TModFolder>();
    folder->Name = ADoc.ReadString(section, KeyName, {});
    folder->Folder = ADoc.ReadString(section, KeyFolder, {});
    folder->DedicatedServerURL = ADoc.ReadString(section, KeyServerURL, {});
    // Files written before the feed was known have no such key: no feed.
    folder->StatsFeedURL = ADoc.ReadString(section, KeyStatsFeedURL, {});
    folder->WebUsername = ADoc.ReadString(section, KeyWebUsername, {});
    folder->WebPassword = ADoc.ReadString(section, KeyWebPassword, {});
    folder->AutoUpdateFromDedicatedServer = ADoc.ReadBool(section, KeyAutoUpdate, true);
    folder->RemoveModsNotOnServer = ADoc.ReadBool(section, KeyRemoveMods, true);
    folder->GameNameFilter = ADoc.ReadString(section, KeyGameNameFilter, {});
    if (folder->GameNameFilter.isEmpty())
      folder->GameNameFilter = ADoc.ReadString(section, KeyLegacyServerName, {});
    // Until the move reaches the file, the old key still holds the password.
    folder->GamePassword = NeedsPasswordMove(ADoc, section)
                               ? ADoc.ReadString(section, KeyLegacyServerPassword, {})
                               : ADoc.ReadString(section, KeyGamePassword, {});
    result.push_back(std::move(folder));
  }
  return result;
}

bool TModFolderIniFormat::HasLegacyPasswords(const TIniDocument& ADoc) {
  const int count = ListedCount(ADoc);
  for (int i = 1; i <= count; ++i) {
    if (NeedsPasswordMove(ADoc, SectionName(i)))
      return true;
  }
  return false;
}

void TModFolderIniFormat::MoveLegacyPasswords(TIniDocument& ADoc) {
  const int count = ListedCount(ADoc);
  for (int i = 1; i <= count; ++i) {
    const QString section = SectionName(i);
    if (!NeedsPasswordMove(ADoc, section))
      continue;
    ADoc.WriteString(section, KeyGamePassword,
                     ADoc.ReadString(section, KeyLegacyServerPassword, {}));
    ADoc.DeleteKey(section, KeyLegacyServerPassword);
  }
}

void TModFolderIniFormat::Write(TIniDocument& ADoc, const TList& AList) {
  const int count = static_cast<int>(AList.size());
  ADoc.WriteInteger(Common, NumberOfModFolders, count);
  for (int k = count + 1; k <= MaxSectionNumber; ++k) {
    const QString section = SectionName(k);
    if (ADoc.SectionExists(section))
      ADoc.EraseSection(section);
  }
  for (int j = 1; j <= count; ++j) {
    const TModFolder& folder = *AList[static_cast<size_t>(j - 1)];
    const QString section = SectionName(j);
    ADoc.WriteString(section, KeyName, folder.Name);
    ADoc.WriteString(section, KeyFolder, folder.Folder);
    ADoc.WriteString(section, KeyServerURL, folder.DedicatedServerURL);
    ADoc.WriteString(section, KeyStatsFeedURL, folder.StatsFeedURL);
    ADoc.WriteString(section, KeyWebUsername, folder.WebUsername);
    ADoc.WriteString(section, KeyWebPassword, folder.WebPassword);
    ADoc.WriteBool(section, KeyAutoUpdate, folder.AutoUpdateFromDedicatedServer);
    ADoc.WriteBool(section, KeyRemoveMods, folder.RemoveModsNotOnServer);
    ADoc.WriteString(section, KeyGameNameFilter, folder.GameNameFilter);
    ADoc.WriteString(section, KeyGamePassword, folder.GamePassword);
  }
}

} // namespace tilvane
