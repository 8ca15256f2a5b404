#include "core/server/ModListCheck.h"

#include "core/server/ModPageRows.h"
#include "core/server/PageScanner.h"

#include <QByteArray>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

namespace tilvane {

namespace {

char16_t FoldAscii(char16_t AC) {
  return (AC >= u'A' && AC <= u'Z') ? AC + (u'a' - u'A') : AC;
}

QString PercentDecoded(QStringView AText) {
  return QString::fromUtf8(QByteArray::fromPercentEncoding(AText.toUtf8()));
}

// The path of a link: a query or fragment does not name the file.
QStringView PathOf(QStringView ALink) {
  for (qsizetype I = 0; I < ALink.size(); ++I) {
    if (ALink[I] == u'?' || ALink[I] == u'#')
      return ALink.left(I);
  }
  return ALink;
}

// The link up to its last '/', which is where the server keeps its archives.
QStringView FolderOf(QStringView ALink) {
  const QStringView Path = PathOf(ALink);
  return Path.left(Path.lastIndexOf(u'/') + 1);
}

} // namespace

QString ArchiveOfLink(QStringView ALink) {
  const QStringView Path = PathOf(ALink);
  const qsizetype Slash = Path.lastIndexOf(u'/');
  return PercentDecoded(Slash < 0 ? Path : Path.mid(Slash + 1));
}

namespace {

// A link as a server writes one: no markup and no control characters in it.
bool IsPlainLink(QStringView ALink) {
  for (const QChar C : ALink) {
    if (C == u'<' || C == u'>' || C == u'"' || C.unicode() < 0x20)
      return false;
  }
  return true;
}

// A row the task may act on: it names a plain ".zip" file and its download
// link fetches that very file.
bool RowIsSound(const TServerMod& AMod) {
  return IsPlainFileName(AMod.FileName) && IsZipFileName(AMod.FileName) &&
         IsPlainLink(AMod.DownloadURL) &&
         SameTextAscii(ArchiveOfLink(AMod.DownloadURL), AMod.FileName);
}

bool PageRowIsSound(const TModPageRow& ARow) {
  return !ARow.MixedDetailLinks && !ARow.LinksAnotherArchive && !ARow.Damaged &&
         !ARow.Link.isEmpty() && IsPlainFileName(ARow.FileName) && IsZipFileName(ARow.FileName);
}

// A row by everything the task acts on: the file, where it comes from, and
// the author and version that decide whether the local archive is current.
QString RowKey(const QString& AFileName, const QString& ALink, const QString& AVersion,
               const QString& AAuthor) {
  return FoldedAscii(AFileName) + QLatin1Char('\n') + ALink + QLatin1Char('\n') + AVersion +
         QLatin1Char('\n') + AAuthor;
}

// Where "href=" (any letter case) next begins in AText at or after AFrom; -1
// when it does not. Found by its '=', which the page's search finds many
// characters at a time: a case-blind search of the whole text is several
// times slower on a page of megabytes.
qsizetype FindHref(QStringView AText, qsizetype AFrom) {
  for (qsizetype Equals = servermodpage::FindCharInPage(AText, u'=', AFrom + 4); Equals >= 0;
       Equals = servermodpage::FindCharInPage(AText, u'=', Equals + 1)) {
    bool Href = true;
    for (qsizetype I = 0; I < 4 && Href; ++I)
      Href = (AText[Equals - 4 + I].unicode() | 0x20) == u"href"[I];
    if (Href)
      return Equals - 4;
  }
  return -1;
}

// The href values of AText: quoted with either quote, or up to a blank or '>'.
template <typename TVisit> void ForEachHref(QStringView AText, TVisit AVisit) {
  constexpr qsizetype HrefSize = 5; // "href="
  qsizetype Pos = 0;
  while ((Pos = FindHref(AText, Pos)) >= 0) {
    Pos += HrefSize;
    if (Pos >= AText.size())
      return;
    const QChar Quote = AText[Pos];
    if (Quote == u'"' || Quote == u'\'') {
      const qsizetype End = AText.indexOf(Quote, Pos + 1);
      if (End < 0)
        return;
      AVisit(AText.mid(Pos + 1, End - Pos - 1));
      Pos = End + 1;
    } else {
      qsizetype End = Pos;
      while (End < AText.size() && !AText[End].isSpace() && AText[End] != u'>')
        ++End;
      AVisit(AText.mid(Pos, End - Pos));
      Pos = End;
    }
  }
}

} // namespace

bool SameTextAscii(QStringView A_, QStringView AB) {
  if (A_.size() != AB.size())
    return false;
  for (qsizetype I = 0; I < A_.size(); ++I) {
    if (FoldAscii(A_[I].unicode()) != FoldAscii(AB[I].unicode()))
      return false;
  }
  return true;
}

QString FoldedAscii(QStringView AText) {
  QString Result(AText.size(), Qt::Uninitialized);
  for (qsizetype I = 0; I < AText.size(); ++I)
    Result[I] = QChar(FoldAscii(AText[I].unicode()));
  return Result;
}

bool EndsWithAscii(QStringView AText, QStringView ASuffix) {
  return AText.size() >= ASuffix.size() && SameTextAscii(AText.right(ASuffix.size()), ASuffix);
}

bool IsPlainFileName(const QString& AFileName) {
  if (AFileName.isEmpty() || AFileName == QLatin1String(".") || AFileName == QLatin1String(".."))
    return false;
  for (QChar C : AFileName) {
    if (C == u'/' || C == u'\\' || C == u':' || C == u'\0')
      return false;
  }
  return true;
}

bool IsDlcFileName(const QString& AFileName) {
  return EndsWithAscii(AFileName, u".dlc");
}

bool IsZipFileName(const QString& AFileName) {
  return EndsWithAscii(AFileName, u".zip");
}

bool IsArchiveLink(QStringView ALink) {
  const QStringView Path = PathOf(ALink);
  return EndsWithAscii(Path, u".zip") || EndsWithAscii(Path, u".dlc");
}

void ForEachArchiveLink(QStringView AText, const std::function<void(QStringView AHref)>& AVisit) {
  ForEachHref(AText, [&AVisit](QStringView AHref) {
    if (IsArchiveLink(AHref))
      AVisit(AHref);
  });
}

QStringList LinkedArchives(QStringView APage) {
  QStringList Result;
  QSet<QString> Seen;
  ForEachArchiveLink(APage, [&](QStringView AHref) {
    const QString AArchive = ArchiveOfLink(AHref);
    if (IsZipFileName(AArchive) && !Seen.contains(FoldedAscii(AArchive))) {
      Seen.insert(FoldedAscii(AArchive));
      Result.append(AArchive);
    }
  });
  return Result;
}

TModPageCensus TakeModPageCensus(QStringView APage, TServerPageLayout ALayout) {
  TModPageCensus Census;
  Census.Rows = ModPageRows(APage, ALayout);
  std::erase_if(Census.Rows, [](const TModPageRow& ARow) { return IsDlcFileName(ARow.FileName); });
  Census.Linked = LinkedArchives(APage);
  return Census;
}

TModListCheck CheckModList(QStringView APage, const TArrayOfServerMods& AMods,
                           TServerPageLayout ALayout) {
  return CheckModList(TakeModPageCensus(APage, ALayout), AMods);
}

TModListCheck CheckModList(const TModPageCensus& ACensus, const TArrayOfServerMods& AMods) {
  bool Sound = true;
  // The parsed rows the task would act on, and the sound ones by name and link.
  QList<const TServerMod*> Parsed;
  QHash<QString, int> SoundParsed;
  QSet<QString> SoundNames;
  // A server offers all its archives from one folder: a link that leaves the
  // folder of the first one was not written by the server.
  std::optional<QStringView> ArchiveFolder;
  for (const TServerMod& Mod : AMods) {
    if (IsDlcFileName(Mod.FileName))
      continue;
    Parsed.append(&Mod);
    const bool RowSound = RowIsSound(Mod);
    if (RowSound && !ArchiveFolder)
      ArchiveFolder = FolderOf(Mod.DownloadURL);
    if (!RowSound || FolderOf(Mod.DownloadURL) != *ArchiveFolder) {
      Sound = false;
      continue;
    }
    ++SoundParsed[RowKey(Mod.FileName, Mod.DownloadURL, Mod.Version, Mod.Author)];
    SoundNames.insert(FoldedAscii(Mod.FileName));
  }

  const std::vector<TModPageRow>& Rows = ACensus.Rows;
  TModListCheck Check;
  for (const TModPageRow& Row : Rows) {
    const auto Match = SoundParsed.find(RowKey(Row.FileName, Row.Link, Row.Version, Row.Author));
    if (PageRowIsSound(Row) && Match != SoundParsed.end() && *Match > 0) {
      --*Match;
      ++Check.RecognisedRows;
    } else {
      Sound = false;
    }
  }
  // One parsed row per page row, in the page's order: nothing left over, and
  // no row read from another row's place.
  if (Parsed.size() != static_cast<qsizetype>(Rows.size())) {
    Sound = false;
  } else {
    for (size_t I = 0; I < Rows.size() && Sound; ++I) {
      const TServerMod& Mod = *Parsed[static_cast<qsizetype>(I)];
      Sound = Mod.FileName == Rows[I].FileName && Mod.DownloadURL == Rows[I].Link &&
              Mod.Version == Rows[I].Version && Mod.Author == Rows[I].Author;
    }
  }
  const QStringList& Linked = ACensus.Linked;
  for (const QString& Archive : Linked)
    Sound = Sound && SoundNames.contains(FoldedAscii(Archive));

  Check.PageRows = std::max(static_cast<int>(Rows.size()), static_cast<int>(Linked.size()));
  Check.Passed = Sound;
  return Check;
}

QString ModListIncompleteMessage(const TModListCheck& ACheck) {
  return QLatin1String("The mod list of the server could not be read completely (") +
         QString::number(ACheck.RecognisedRows) + QLatin1String(" of ") +
         QString::number(ACheck.PageRows) +
         QLatin1String(" mods recognised). No mods were deleted.");
}

} // namespace tilvane
