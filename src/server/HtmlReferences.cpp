#include "server/HtmlReferences.h"

#include <QStringView>

#include <algorithm>
#include <optional>

namespace tilvane {

namespace {

struct TNamedReference {
  QStringView Name; // between '&' and ';'
  char32_t Code;
};

constexpr TNamedReference NamedReferences[] = {
    {u"amp", U'&'},  {u"lt", U'<'},    {u"gt", U'>'},
    {u"quot", U'"'}, {u"apos", U'\''}, {u"nbsp", U'\u00a0'},
};

// Longer than any number of a character: the digits of 0x10FFFF and a few
// leading zeros.
constexpr qsizetype MaxDigits = 10;

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

// The character of the numeric reference ABody ("#93", "#x5D"); nothing
// when it names none: no digits, a digit of another base, zero, a surrogate
// or beyond Unicode.
std::optional<char32_t> NumericCode(QStringView ABody) {
  const bool Hex = ABody.size() > 1 && (ABody[1] == u'x' || ABody[1] == u'X');
  const QStringView Digits = ABody.sliced(Hex ? 2 : 1);
  if (Digits.isEmpty() || Digits.size() > MaxDigits)
    return std::nullopt;
  const int Base = Hex ? 16 : 10;
  char32_t Code = 0;
  for (const QChar Digit : Digits) {
    const int Value = DigitValue(Digit, Base);
    if (Value < 0)
      return std::nullopt;
    Code = Code * static_cast<char32_t>(Base) + static_cast<char32_t>(Value);
  }
  if (Code == 0 || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
    return std::nullopt;
  return Code;
}

std::optional<char32_t> ReferenceCode(QStringView ABody) {
  if (ABody.startsWith(u'#'))
    return NumericCode(ABody);
  for (const TNamedReference& Reference : NamedReferences) {
    if (ABody == Reference.Name)
      return Reference.Code;
  }
  return std::nullopt;
}

} // namespace

QString DecodeHtmlReferences(const QString& AText) {
  qsizetype Amp = AText.indexOf(u'&');
  if (Amp < 0)
    return AText; // the usual case: no copy
  QString Result;
  Result.reserve(AText.size());
  qsizetype Copied = 0;
  while (Amp >= 0) {
    // The ';' is looked for only as far as the longest reference reaches
    // ('#', 'x' and the digits): an '&' of plain text costs no more.
    const QStringView Window =
        QStringView(AText).sliced(Amp + 1, std::min(AText.size() - Amp - 1, MaxDigits + 3));
    const qsizetype BodySize = Window.indexOf(u';');
    const std::optional<char32_t> Code =
        BodySize >= 0 ? ReferenceCode(Window.first(BodySize)) : std::nullopt;
    const qsizetype Semicolon = Amp + 1 + BodySize;
    if (Code) {
      Result.append(QStringView(AText).sliced(Copied, Amp - Copied));
      const char32_t Char = *Code;
      Result.append(QString::fromUcs4(&Char, 1));
      Copied = Semicolon + 1;
    }
    Amp = AText.indexOf(u'&', Code ? Copied : Amp + 1);
  }
  Result.append(QStringView(AText).sliced(Copied));
  return Result;
}

} // namespace tilvane
