#include "update/ModListCheck.h"

#include <QByteArray>

namespace tilvane {

namespace {

char16_t FoldAscii(char16_t C) {
  return (C >= u'A' && C <= u'Z') ? C + (u'a' - u'A') : C;
}

QString PercentDecoded(QStringView AText) {
  return QString::fromUtf8(QByteArray::fromPercentEncoding(AText.toUtf8()));
}

QStringView LastSegment(QStringView APath) {
  const qsizetype Slash = APath.lastIndexOf(u'/');
  return Slash < 0 ? APath : APath.mid(Slash + 1);
}

bool RowIsSound(const TServerMod& AMod) {
  const QString URL = PercentDecoded(AMod.DownloadURL);
  if (SameTextAscii(URL, AMod.FileName))
    return true;
  return EndsWithAscii(URL, QString(QLatin1Char('/') + AMod.FileName));
}

} // namespace

bool SameTextAscii(QStringView A, QStringView B) {
  if (A.size() != B.size())
    return false;
  for (qsizetype i = 0; i < A.size(); ++i) {
    if (FoldAscii(A[i].unicode()) != FoldAscii(B[i].unicode()))
      return false;
  }
  return true;
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

QStringList LinkedArchives(QStringView APage) {
  QStringList Result;
  const QLatin1String Href("href=");
  qsizetype Pos = 0;
  while ((Pos = APage.indexOf(Href, Pos, Qt::CaseInsensitive)) >= 0) {
    Pos += Href.size();
    if (Pos >= APage.size())
      break;
    QStringView Value;
    const QChar Quote = APage[Pos];
    if (Quote == u'"' || Quote == u'\'') {
      const qsizetype End = APage.indexOf(Quote, Pos + 1);
      if (End < 0)
        break;
      Value = APage.mid(Pos + 1, End - Pos - 1);
      Pos = End + 1;
    } else {
      qsizetype End = Pos;
      while (End < APage.size() && !APage[End].isSpace() && APage[End] != u'>')
        ++End;
      Value = APage.mid(Pos, End - Pos);
      Pos = End;
    }
    // The path alone: a query or fragment does not name the file.
    qsizetype PathEnd = Value.size();
    for (qsizetype i = 0; i < Value.size(); ++i) {
      if (Value[i] == u'?' || Value[i] == u'#') {
        PathEnd = i;
        break;
      }
    }
    const QStringView Path = Value.left(PathEnd);
    if (!EndsWithAscii(Path, u".zip"))
      continue;
    const QString Name = PercentDecoded(LastSegment(Path));
    bool Known = false;
    for (const QString& Existing : Result)
      Known = Known || SameTextAscii(Existing, Name);
    if (!Known)
      Result.append(Name);
  }
  return Result;
}

} // namespace tilvane

namespace tilvane {

TModListCheck CheckModList(QStringView APage, const TArrayOfServerMods& AMods) {
  TModListCheck Check;
  QStringList SoundNames;
  for (const TServerMod& Mod : AMods) {
    if (IsDlcFileName(Mod.FileName) || !IsPlainFileName(Mod.FileName))
      continue;
    ++Check.CheckedRows;
    if (RowIsSound(Mod)) {
      ++Check.SoundRows;
      SoundNames.append(Mod.FileName);
    }
  }
  const QStringList Linked = LinkedArchives(APage);
  Check.LinkedArchives = static_cast<int>(Linked.size());
  Check.Complete = true;
  for (const QString& Archive : Linked) {
    bool Found = false;
    for (const QString& Name : SoundNames)
      Found = Found || SameTextAscii(Name, Archive);
    if (!Found) {
      Check.Complete = false;
      break;
    }
  }
  return Check;
}

QString ModListIncompleteMessage(const TModListCheck& ACheck) {
  return QLatin1String("The mod list of the server could not be read completely (") +
         QString::number(ACheck.SoundRows) + QLatin1String(" of ") +
         QString::number(ACheck.LinkedArchives) +
         QLatin1String(" mods recognised). No mods were deleted.");
}

} // namespace tilvane
