#include "ServerPageExercise.h"

#include "core/server/GridPageReader.h"
#include "core/server/ModListCheck.h"
#include "core/server/ModPageReading.h"
#include "core/server/ParseServerModList.h"

#include <QString>

namespace tilvane::test {

namespace {

bool RecordsHold(const TArrayOfServerMods& AMods, qsizetype APageSize) {
  for (const TServerMod& Mod : AMods) {
    if (Mod.DownloadURL.isEmpty())
      return false;
    for (const QString* Field : {&Mod.Name, &Mod.Version, &Mod.Author, &Mod.FileName,
                                 &Mod.DownloadURL, &Mod.NumOfIssues, &Mod.ModHub, &Mod.Active})
      if (Field->size() > APageSize)
        return false;
  }
  return true;
}

// What the check promises whatever the page: it never recognises more rows
// than it counts, and a list it passes holds only rows the task may act on.
bool CheckHolds(QStringView APage, const TArrayOfServerMods& AMods, TServerPageLayout ALayout) {
  const TModListCheck Check = CheckModList(APage, AMods, ALayout);
  if (Check.RecognisedRows > Check.PageRows || Check.RecognisedRows < 0)
    return false;
  if (!Check.Passed)
    return true;
  for (const TServerMod& Mod : AMods) {
    if (IsDlcFileName(Mod.FileName))
      continue;
    if (!IsPlainFileName(Mod.FileName) || !IsZipFileName(Mod.FileName))
      return false;
  }
  return true;
}

} // namespace

bool ExerciseServerPageParser(const std::uint8_t* AData, std::size_t ASize) {
  const QString Page =
      QString::fromUtf8(reinterpret_cast<const char*>(AData), static_cast<qsizetype>(ASize));
  bool Ok = true;
  for (const QChar Separator : {QChar(u'.'), QChar(u',')}) {
    const TParseServerModPageResult Result = TryParseServerModPage(Page, Separator);
    Ok =
        Ok && (Result.Successful || Result.Mods.isEmpty()) && RecordsHold(Result.Mods, Page.size());
  }
  // Each grammar on any text, marker or not, and the check of what it read.
  const TArrayOfServerMods Table = Parse8N9ServerModPage(Page, u'.');
  const TArrayOfServerMods Grid91 = Parse91ServerModPage(Page, u'.');
  const TArrayOfServerMods Grid92 = Parse92ServerModPage(Page, u'.');
  Ok = Ok && RecordsHold(Table, Page.size()) && RecordsHold(Grid91, Page.size()) &&
       RecordsHold(Grid92, Page.size());
  Ok = Ok && CheckHolds(Page, Table, TServerPageLayout::Table) &&
       CheckHolds(Page, Grid91, TServerPageLayout::GridWithoutModHub) &&
       CheckHolds(Page, Grid92, TServerPageLayout::GridWithModHub);
  // The grid reader likewise, and the reading a sync makes.
  for (const bool WithModHub : {false, true}) {
    const TArrayOfServerMods Read = ReadGridModPage(Page, WithModHub, u'.');
    Ok = Ok && RecordsHold(Read, Page.size()) &&
         CheckHolds(Page, Read,
                    WithModHub ? TServerPageLayout::GridWithModHub
                               : TServerPageLayout::GridWithoutModHub);
  }
  const TModPageReading Reading = ReadModPage(Page, u'.');
  Ok = Ok && (Reading.Successful || Reading.Mods.isEmpty()) &&
       !ModPageReadingSummary(Reading).isEmpty();

  // The cell readers on the whole text and on its second half, so that a
  // reader also starts in the middle of a tag or a value.
  const QStringView Half = QStringView(Page).sliced(Page.size() / 2);
  for (const QStringView Text : {QStringView(Page), Half}) {
    Ok = Ok && servermodpage::ParseTextLine(Text).size() <= Text.size();
    Ok = Ok && servermodpage::ParseTitleLine(Text).size() <= Text.size();
    Ok = Ok && servermodpage::ParseDownloadURL(Text).size() <= Text.size();
    servermodpage::ParseSizeMB(Text, u'.');
    servermodpage::ParseSizeMB(Text, u',');
  }
  return Ok;
}

} // namespace tilvane::test
