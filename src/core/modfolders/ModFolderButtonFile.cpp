#include "core/modfolders/ModFolderButtonFile.h"

#include "core/common/IniFile.h"
#include "core/common/Paths.h"
#include "core/modfolders/ModFolder.h"

#include <algorithm>

namespace tilvane {

namespace {

const QString Section = QStringLiteral("Button");

// The layout's version, written for other readers of the file. This program
// reads by key names and takes a default for any key that is missing.
const QString FileVersion = QStringLiteral("2");

std::optional<QString> OptionalString(const TIniDocument& ADoc, const QString& AKey) {
  if (!ADoc.ValueExists(Section, AKey))
    return std::nullopt;
  return ADoc.ReadString(Section, AKey, QString());
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
    ADoc.WriteString(Section, QStringLiteral("FileVersion"), FileVersion);
    ADoc.WriteString(Section, QStringLiteral("FSVersion"), FSVersionToNumberStr(AFSVersion));
    ADoc.WriteString(Section, QStringLiteral("Name"), AModFolder.Name);
    ADoc.WriteString(Section, QStringLiteral("DedicatedServerURL"), AModFolder.DedicatedServerURL);
    // Only a folder that follows a stats feed writes one; exported over an
    // older button's file, a feed that this folder does not have goes away.
    if (AModFolder.StatsFeedURL.isEmpty())
      ADoc.DeleteKey(Section, QStringLiteral("StatsFeedURL"));
    else
      ADoc.WriteString(Section, QStringLiteral("StatsFeedURL"), AModFolder.StatsFeedURL);
    if (AWithWebLogin) {
      ADoc.WriteString(Section, QStringLiteral("WebUserName"), AModFolder.WebUsername);
      ADoc.WriteString(Section, QStringLiteral("WebPassword"), AModFolder.WebPassword);
    } else {
      // An earlier export to the same file may have put the login there; a
      // "No" would otherwise hand it on with the file.
      ADoc.DeleteKey(Section, QStringLiteral("WebUserName"));
      ADoc.DeleteKey(Section, QStringLiteral("WebPassword"));
    }
    ADoc.WriteBool(Section, QStringLiteral("AutoUpdateFromDedicatedServer"),
                   AModFolder.AutoUpdateFromDedicatedServer);
    ADoc.WriteBool(Section, QStringLiteral("RemoveModsNotOnServer"),
                   AModFolder.RemoveModsNotOnServer);
    ADoc.WriteString(Section, QStringLiteral("GameNameFilter"), AModFolder.GameNameFilter);
    ADoc.WriteString(Section, QStringLiteral("ServerPassword"), AModFolder.GamePassword);
  });
}

TModFolderButtonFile::TButton TModFolderButtonFile::Import(const QString& AFileName) const {
  const TIniDocument Doc = TIniFile(AFileName, FPlatform).ReadDocument();
  TButton Button;
  Button.FSVersion = Doc.ReadString(Section, QStringLiteral("FSVersion"), Button.FSVersion);
  Button.Name = Doc.ReadString(Section, QStringLiteral("Name"), QString());
  Button.DedicatedServerURL =
      Doc.ReadString(Section, QStringLiteral("DedicatedServerURL"), QString());
  Button.StatsFeedURL = Doc.ReadString(Section, QStringLiteral("StatsFeedURL"), QString());
  Button.WebUserName = OptionalString(Doc, QStringLiteral("WebUserName"));
  Button.WebPassword = OptionalString(Doc, QStringLiteral("WebPassword"));
  Button.AutoUpdateFromDedicatedServer =
      Doc.ReadBool(Section, QStringLiteral("AutoUpdateFromDedicatedServer"), true);
  Button.RemoveModsNotOnServer =
      Doc.ReadBool(Section, QStringLiteral("RemoveModsNotOnServer"), true);
  Button.GameNameFilter = Doc.ReadString(Section, QStringLiteral("GameNameFilter"), QString());
  Button.ServerPassword = Doc.ReadString(Section, QStringLiteral("ServerPassword"), QString());
  return Button;
}

} // namespace tilvane
