#include "core/server/HtmlReferences.h"
#include "core/server/PageScanner.h"
#include "core/server/ParseServerModList.h"

#include <QLocale>
#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <string>

namespace tilvane {

QChar SystemDecimalSeparator() {
  const QString Separator = QLocale::system().decimalPoint();
  return Separator.size() == 1 ? Separator.front() : QChar(u'.');
}

namespace servermodpage {

QString ParseTextLine(QStringView AText) {
  // Text runs are copied whole: from a '<' to the first '>' after it is a tag
  // (a '<' inside does not start another), a '>' anywhere else is text.
  QString Result;
  Result.reserve(AText.size());
  qsizetype At = 0;
  while (At < AText.size()) {
    const qsizetype Tag = FindCharInPage(AText, u'<', At);
    Result.append(AText.sliced(At, (Tag < 0 ? AText.size() : Tag) - At));
    if (Tag < 0)
      break;
    const qsizetype TagEnd = FindCharInPage(AText, u'>', Tag + 1);
    if (TagEnd < 0)
      break; // a tag left open drops the rest
    At = TagEnd + 1;
  }
  return Result;
}

namespace {
// The text between the first AOpen and the next AClose after it; empty when
// either is missing.
QString ValueBetween(QStringView AText, QStringView AOpen, QStringView AClose) {
  const qsizetype At = AText.indexOf(AOpen, 0, Qt::CaseSensitive);
  if (At < 0)
    return {};
  const qsizetype ValueStart = At + AOpen.size();
  const qsizetype End = AText.indexOf(AClose, ValueStart, Qt::CaseSensitive);
  if (End < 0)
    return {};
  return AText.sliced(ValueStart, End - ValueStart).toString();
}
} // namespace

QString ParseTitleLine(QStringView AText) {
  return ValueBetween(AText, u"title=\"", u"\">");
}

QString PageText(const QString& ARaw) {
  QString Text = DecodeHtmlReferences(ARaw);
  // Only numeric references pass through the game's reading of modDesc.xml;
  // a named one left now ("&amp;" of "&amp;amp;") is the mod's own text.
  constexpr qsizetype LongestNumeric = 14; // "&#x" and digits: see the decoder
  for (qsizetype At = Text.indexOf(u"&#"); At >= 0; At = Text.indexOf(u"&#", At + 1)) {
    const qsizetype End = Text.indexOf(u';', At);
    if (End < 0)
      break;
    if (End - At > LongestNumeric)
      continue;
    const QString Reference = Text.sliced(At, End + 1 - At);
    const QString Decoded = DecodeHtmlReferences(Reference);
    if (Decoded != Reference)
      Text.replace(At, Reference.size(), Decoded);
  }
  return Text;
}

TServerMod DecodedTexts(TServerMod AMod) {
  AMod.Name = PageText(AMod.Name);
  AMod.Version = PageText(AMod.Version);
  AMod.Author = PageText(AMod.Author);
  return AMod;
}

QString ParseDownloadURL(QStringView AText) {
  return ValueBetween(AText, u"href=\"", u"\"");
}

namespace {

bool IsDigit(QChar AC) {
  return AC >= u'0' && AC <= u'9';
}

// A number as the user writes it under their regional settings: optional sign,
// digits with at most one decimal separator, optional exponent. Anything else
// (a thousands separator among it) fails.
bool TryParseLocalFloat(QStringView AText, QChar ADecimalSeparator, double& AValue) {
  const QStringView Text = AText.trimmed();
  std::string Normalised;
  Normalised.reserve(static_cast<size_t>(Text.size()));
  qsizetype I = 0;
  const qsizetype N = Text.size();
  if (I < N && (Text[I] == u'+' || Text[I] == u'-'))
    Normalised.push_back(static_cast<char>(Text[I++].unicode()));
  qsizetype Digits = 0;
  while (I < N && IsDigit(Text[I])) {
    Normalised.push_back(static_cast<char>(Text[I++].unicode()));
    ++Digits;
  }
  if (I < N && Text[I] == ADecimalSeparator) {
    Normalised.push_back('.');
    ++I;
    while (I < N && IsDigit(Text[I])) {
      Normalised.push_back(static_cast<char>(Text[I++].unicode()));
      ++Digits;
    }
  }
  if (Digits == 0)
    return false;
  if (I < N && (Text[I] == u'e' || Text[I] == u'E')) {
    Normalised.push_back('e');
    ++I;
    if (I < N && (Text[I] == u'+' || Text[I] == u'-'))
      Normalised.push_back(static_cast<char>(Text[I++].unicode()));
    qsizetype ExponentDigits = 0;
    while (I < N && IsDigit(Text[I])) {
      Normalised.push_back(static_cast<char>(Text[I++].unicode()));
      ++ExponentDigits;
    }
    if (ExponentDigits == 0)
      return false;
  }
  if (I != N)
    return false;
  // Only ASCII signs, digits, '.' and 'e' are left; from_chars takes no '+'.
  const char* Begin = Normalised.data();
  const char* const End = Begin + Normalised.size();
  if (*Begin == '+')
    ++Begin;
  const std::from_chars_result Parsed =
      std::from_chars(Begin, End, AValue, std::chars_format::general);
  return Parsed.ec == std::errc() && Parsed.ptr == End && std::isfinite(AValue);
}

} // namespace

qint64 ParseSizeMB(QStringView AText, QChar ADecimalSeparator) {
  if (AText.trimmed().isEmpty())
    return 0;
  // Every " MB" removed, on the stack: a size is read for every row.
  QVarLengthArray<QChar, 64> Text;
  for (qsizetype I = 0; I < AText.size(); ++I) {
    if (AText.sliced(I).startsWith(u" MB"))
      I += 2;
    else
      Text.append(AText[I]);
  }
  double Value = 0;
  if (!TryParseLocalFloat(QStringView(Text.constData(), Text.size()), ADecimalSeparator, Value))
    return 0;
  // The fixed-point range of ten-thousandths in 64 bits.
  constexpr double Limit = 922337203685477.0;
  if (std::fabs(Value) > Limit)
    return 0;
  return std::llround(Value * 10000.0);
}

} // namespace servermodpage
} // namespace tilvane
