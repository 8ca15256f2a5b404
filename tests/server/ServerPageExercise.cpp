#include "ServerPageExercise.h"

#include "server/ParseServerModList.h"

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
  // Each grammar on any text, marker or not.
  Ok = Ok && RecordsHold(Parse8N9ServerModPage(Page, u'.'), Page.size());
  Ok = Ok && RecordsHold(Parse91ServerModPage(Page, u'.'), Page.size());
  Ok = Ok && RecordsHold(Parse92ServerModPage(Page, u'.'), Page.size());

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
