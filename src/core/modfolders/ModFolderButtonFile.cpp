#include "core/modfolders/ModFolderButtonFile.h"

#include "core/common/IniFile.h"
#include "core/common/Paths.h"
#include "core/modfolders/ModFolder.h"

#include <algorithm>

namespace tilvane {

namespace {

const QString kSection = QStringLiteral("Button");

// The layout's version, written for other readers of the file. This program
// reads by key names and takes a default for any key that is missing.
const QString kFileVersion = QStringLiteral("2");

std::optional<QString> OptionalString(const TIniDocument& ADoc, const QString& AKey) {
  if (!ADoc.ValueExists(kSection, AKey))
    return std::nullopt;
  return ADoc.ReadString(kSection, AKey, QString());
}

} // namespace

TModFolderButtonFile::TModFolderButtonFile(platform::IPlatform& APlatform) : FPlatform(APlatform) {}

TFileType TModFolderButtonFile::FileType() {
  return {QStringLiteral("Mod Folder Button"), QStringLiteral("*.mfb")};
}

QString TModFolderButtonFile::WithButtonExtension(const QString& AFileName) {
  // Only a dot in the last name counts: "my.server/button" has no extension.
  const qsizetype NameStart =
      std::max(AFileName.lastIndexOf(QLatin1Char('/')), AFileName.lastIndexOf(PathDelim())) + 1;
  const qsizetype Dot = AFileName.lastIndexOf(QLatin1Char('.'));
  const QString Stem = Dot >= NameStart ? AFileName.left(Dot) : AFileName;
  return Stem + QStringLiteral(".mfb");
}

void TModFolderButtonFile::Export(const TModFolder& AModFolder, TFSVersion AFSVersion,
                                  const QString& AFileName, bool AWithWebLogin) {
  // One replacement of the file for all keys: a failed write leaves the old
  // file whole instead of half of a button.
  TIniFile File(AFileName, FPlatform);
  File.Update([&](TIniDocument& ADoc) {
    ADoc.WriteString(kSection, QStringLiteral("FileVersion"), kFileVersion);
    ADoc.WriteString(kSection, QStringLiteral("FSVersion"), FSVersionToNumberStr(AFSVersion));
    ADoc.WriteString(kSection, QStringLiteral("Name"), AModFolder.Name);
    ADoc.WriteString(kSection, QStringLiteral("DedicatedServerURL"), AModFolder.DedicatedServerURL);
    // Only a folder that follows a stats feed writes one; exported over an
    // older button's file, a feed that this folder does not have goes away.
    if (AModFolder.StatsFeedURL.isEmpty())
      ADoc.DeleteKey(kSection, QStringLiteral("StatsFeedURL"));
    else
      ADoc.WriteString(kSection, QStringLiteral("StatsFeedURL"), AModFolder.StatsFeedURL);
    if (AWithWebLogin) {
      ADoc.WriteString(kSection, QStringLiteral("WebUserName"), AModFolder.WebUsername);
      ADoc.WriteString(kSection, QStringLiteral("WebPassword"), AModFolder.WebPassword);
    } else {
      // An earlier export to the same file may have put the login there; a
      // "No" would otherwise hand it on with the file.
      ADoc.DeleteKey(kSection, QStringLiteral("WebUserName"));
      ADoc.DeleteKey(kSection, QStringLiteral("WebPassword"));
    }
    ADoc.WriteBool(kSection, QStringLiteral("AutoUpdateFromDedicatedServer"),
                   AModFolder.AutoUpdateFromDedicatedServer);
    ADoc.WriteBool(kSection, QStringLiteral("RemoveModsNotOnServer"),
                   AModFolder.RemoveModsNotOnServer);
    ADoc.WriteString(kSection, QStringLiteral("GameNameFilter"), AModFolder.GameNameFilter);
    ADoc.WriteString(kSection, QStringLiteral("ServerPassword"), AModFolder.GamePassword);
  });
}

TModFolderButtonFile::TButton TModFolderButtonFile::Import(const QString& AFileName) const {
  const TIniDocument Doc = TIniFile(AFileName, FPlatform).ReadDocument();
  TButton Button;
  Button.FSVersion = Doc.ReadString(kSection, QStringLiteral("FSVersion"), Button.FSVersion);
  Button.Name = Doc.ReadString(kSection, QStringLiteral("Name"), QString());
  Button.DedicatedServerURL =
      Doc.ReadString(kSection, QStringLiteral("DedicatedServerURL"), QString());
  Button.StatsFeedURL = Doc.ReadString(kSection, QStringLiteral("StatsFeedURL"), QString());
  Button.WebUserName = OptionalString(Doc, QStringLiteral("WebUserName"));
  Button.WebPassword = OptionalString(Doc, QStringLiteral("WebPassword"));
  Button.AutoUpdateFromDedicatedServer =
      Doc.ReadBool(kSection, QStringLiteral("AutoUpdateFromDedicatedServer"), true);
  Button.RemoveModsNotOnServer =
      Doc.ReadBool(kSection, QStringLiteral("RemoveModsNotOnServer"), true);
  Button.GameNameFilter = Doc.ReadString(kSection, QStringLiteral("GameNameFilter"), QString());
  Button.ServerPassword = Doc.ReadString(kSection, QStringLiteral("ServerPassword"), QString());
  return Button;
}

} // namespace tilvane
