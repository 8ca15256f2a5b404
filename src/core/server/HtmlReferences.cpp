#include "core/server/HtmlReferences.h"

#include <QStringView>

namespace tilvane {

namespace {

struct TNamedReference {
  QStringView Name;
  char16_t Character;
};

constexpr TNamedReference NamedReferences[] = {
    {u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
    {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u'\u00A0'},
};

int DigitValue(QChar AChar, int ABase) {
  const char16_t C = AChar.unicode();
  int Value = -1;
  if (C >= u'0' && C <= u'9')
    Value = C - u'0';
  else if (C >= u'a' && C <= u'f')
    Value = C - u'a' + 10;
  else if (C >= u'A' && C <= u'F')
    Value = C - u'A' + 10;
  return Value < ABase ? Value : -1;
}

// The character of "#93" or "#x5D" (the text between '&' and ';'), or -1
// when it names none: no digits, a surrogate half, zero or beyond Unicode.
char32_t NumericReference(QStringView ABody) {
  int Base = 10;
  QStringView Digits = ABody.mid(1);
  if (Digits.startsWith(u'x') || Digits.startsWith(u'X')) {
    Base = 16;
    Digits = Digits.mid(1);
  }
  if (Digits.isEmpty())
    return char32_t(-1);
  char32_t Value = 0;
  for (const QChar C : Digits) {
    const int Digit = DigitValue(C, Base);
    if (Digit < 0)
      return char32_t(-1);
    Value = Value * Base + Digit;
    if (Value > 0x10FFFF)
      return char32_t(-1);
  }
  if (Value == 0 || (Value >= 0xD800 && Value <= 0xDFFF))
    return char32_t(-1);
  return Value;
}

// Appends the decoded reference whose body (between '&' and ';') is ABody;
// false when it is no reference.
bool AppendReference(QStringView ABody, QString& AResult) {
  if (ABody.startsWith(u'#')) {
    const char32_t Character = NumericReference(ABody);
    if (Character == char32_t(-1))
      return false;
    AResult.append(QString::fromUcs4(&Character, 1));
    return true;
  }
  for (const TNamedReference& Reference : NamedReferences)
    if (ABody == Reference.Name) {
      AResult.append(QChar(Reference.Character));
      return true;
    }
  return false;
}

} // namespace

QString DecodeHtmlReferences(const QString& AText) {
  // The longest reference taken is "&#x10FFFF;" or "&#1114111;" with some
  // leading zeros; a ';' much further on ends something else.
  constexpr qsizetype LongestBody = 32;
  qsizetype Amp = AText.indexOf(u'&');
  if (Amp < 0)
    return AText;
  QString Result;
  Result.reserve(AText.size());
  qsizetype Done = 0;
  while (Amp >= 0) {
    const qsizetype Semicolon = AText.indexOf(u';', Amp + 1);
    if (Semicolon < 0)
      break;
    const QStringView Body = QStringView(AText).mid(Amp + 1, Semicolon - Amp - 1);
    if (Body.size() <= LongestBody && !Body.contains(u'&')) {
      Result.append(QStringView(AText).mid(Done, Amp - Done));
      if (!AppendReference(Body, Result))
        Result.append(QStringView(AText).mid(Amp, Semicolon + 1 - Amp));
      Done = Semicolon + 1;
      Amp = AText.indexOf(u'&', Done);
    } else {
      Amp = AText.indexOf(u'&', Amp + 1);
    }
  }
  Result.append(QStringView(AText).mid(Done));
  return Result;
}

} // namespace tilvane
