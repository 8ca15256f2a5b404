#include "windowlogic/SavegamesText.h"

#include "core/savegames/SavegamesReport.h"

namespace tilvane {

namespace {

QString SaveText(const TSavegameNeeds& ANeeds) {
  QString Text = ANeeds.FolderName;
  if (!ANeeds.SavegameName.isEmpty())
    Text += QStringLiteral(": ") + ANeeds.SavegameName;
  if (!ANeeds.MapTitle.isEmpty())
    Text += QStringLiteral(", map ") + ANeeds.MapTitle;
  return Text;
}

QString ModText(const TSavegameMod& AMod, const QString& AWhy) {
  QString Text = AMod.ModName;
  if (!AMod.Version.isEmpty())
    Text += u' ' + AMod.Version;
  return Text + QStringLiteral(": ") + AWhy;
}

} // namespace

QList<TSavegameLine> SavegameLines(const TSavegamesReport& AReport) {
  QList<TSavegameLine> Lines;
  for (const TSavegameNeeds& Needs : AReport.Needs) {
    TSavegameLine Line{SaveText(Needs), {}};
    for (const TSavegameMod& Mod : Needs.Missing)
      Line.Details.append(ModText(Mod, QStringLiteral("not in this folder")));
    for (const TSavegameMod& Mod : Needs.OtherVersion)
      Line.Details.append(ModText(Mod, QStringLiteral("another version in this folder")));
    if (Line.Details.isEmpty())
      Line.Details.append(QStringLiteral("Every mod this savegame needs is in this folder."));
    Lines.append(std::move(Line));
  }
  for (const QString& Skipped : AReport.Skipped)
    Lines.append({Skipped, {}});
  if (Lines.isEmpty())
    Lines.append({QStringLiteral("No savegames in ") + AReport.MyGamesFolder + u'.', {}});
  return Lines;
}

} // namespace tilvane
