#include "core/common/IniFile.h"
#include "core/common/TextCodecs.h"

#include <QStringDecoder>

#include <limits>

namespace tilvane {

namespace {

// Longest value a read gives back; longer values are cut.
constexpr qsizetype MaxValueLength = 2047;

// Settings files come from this program (UTF-8), from its single-game
// predecessor (the system's ANSI code page, Windows-1252 on the players'
// machines) or from a text editor (UTF-8 or UTF-16 with a byte-order mark).
QString DecodeText(const QByteArray& ABytes) {
  QByteArrayView View(ABytes);
  if (View.startsWith("\xEF\xBB\xBF"))
    return QString::fromUtf8(View.sliced(3));
  if (View.startsWith("\xFF\xFE"))
    return QStringDecoder(QStringDecoder::Utf16LE)(View.sliced(2));
  if (View.startsWith("\xFE\xFF"))
    return QStringDecoder(QStringDecoder::Utf16BE)(View.sliced(2));
  QStringDecoder Utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString Text = Utf8(View);
  if (!Utf8.hasError())
    return Text;
  return DecodeWindows1252(View);
}

bool IsBlank(QChar AC) {
  return AC == QLatin1Char(' ') || AC == QLatin1Char('\t');
}

QStringView TrimBlanks(QStringView AS) {
  qsizetype Begin = 0;
  qsizetype End = AS.size();
  while (Begin < End && IsBlank(AS[Begin]))
    ++Begin;
  while (End > Begin && IsBlank(AS[End - 1]))
    --End;
  return AS.sliced(Begin, End - Begin);
}

bool SameName(QStringView AA, QStringView AB) {
  return AA.size() == AB.size() && AA.compare(AB, Qt::CaseInsensitive) == 0;
}

// A line break inside a value or name would start a new line in the file and
// could plant a key or section of its own: store it as a blank instead.
QString SingleLine(const QString& AText) {
  if (!AText.contains(QLatin1Char('\r')) && !AText.contains(QLatin1Char('\n')))
    return AText;
  QString Result = AText;
  Result.replace(QLatin1Char('\r'), QLatin1Char(' '));
  Result.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return Result;
}

// Decimal, or hexadecimal after "$" or "0x"; an optional sign before either.
bool ParseInteger(QStringView AText, int& AResult) {
  if (AText.isEmpty())
    return false;
  bool Negative = false;
  if (AText.front() == QLatin1Char('-') || AText.front() == QLatin1Char('+')) {
    Negative = AText.front() == QLatin1Char('-');
    AText = AText.sliced(1);
  }
  int Base = 10;
  if (AText.startsWith(QLatin1Char('$'))) {
    Base = 16;
    AText = AText.sliced(1);
  } else if (AText.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    Base = 16;
    AText = AText.sliced(2);
  }
  if (AText.isEmpty())
    return false;
  quint64 Value = 0;
  for (const QChar C : AText) {
    int Digit = -1;
    const char16_t U = C.unicode();
    if (U >= u'0' && U <= u'9')
      Digit = U - u'0';
    else if (Base == 16 && U >= u'a' && U <= u'f')
      Digit = U - u'a' + 10;
    else if (Base == 16 && U >= u'A' && U <= u'F')
      Digit = U - u'A' + 10;
    if (Digit < 0)
      return false;
    Value = Value * Base + Digit;
    if (Value > 0xFFFFFFFFull)
      return false;
  }
  if (Base == 16) {
    // A hexadecimal number names the 32 bits themselves, as "$FFFFFFFF" = -1.
    // The sign negates in 32-bit unsigned arithmetic, so "-$80000000" wraps
    // to the smallest int instead of overflowing.
    quint32 Bits = static_cast<quint32>(Value);
    if (Negative)
      Bits = 0u - Bits;
    AResult = static_cast<qint32>(Bits);
    return true;
  }
  const qint64 SignedValue = Negative ? -static_cast<qint64>(Value) : static_cast<qint64>(Value);
  if (SignedValue < std::numeric_limits<int>::min() ||
      SignedValue > std::numeric_limits<int>::max())
    return false;
  AResult = static_cast<int>(SignedValue);
  return true;
}

} // namespace

// The file as lines. Lines that no operation changes are written back as they
// were read (only the line breaks become CR LF).
struct TIniDocument::Data {
  enum class TKind { Other, Section, Key };
  struct TLine {
    QString Text;
    TKind LineKind = TKind::Other;
    qsizetype NameStart = 0; // section name or key name within Text
    qsizetype NameLength = 0;
    qsizetype ValueStart = 0; // after '=' (keys only)

    QStringView Name() const { return QStringView(Text).sliced(NameStart, NameLength); }
    QStringView RawValue() const { return QStringView(Text).sliced(ValueStart); }
  };

  QList<TLine> Lines;
  bool Modified = false; // a write or a deletion changed something

  static TLine Parse(QString AText) {
    TLine Line;
    Line.Text = std::move(AText);
    const QStringView S(Line.Text);
    const QStringView Trimmed = TrimBlanks(S);
    if (Trimmed.startsWith(QLatin1Char('['))) {
      const qsizetype Close = Trimmed.lastIndexOf(QLatin1Char(']'));
      if (Close > 0) {
        const QStringView Name = TrimBlanks(Trimmed.sliced(1, Close - 1));
        Line.LineKind = TKind::Section;
        Line.NameStart = Name.data() - S.data();
        Line.NameLength = Name.size();
        return Line;
      }
    }
    const qsizetype Eq = S.indexOf(QLatin1Char('='));
    if (Eq < 0)
      return Line; // not a key: kept, never read
    const QStringView Name = TrimBlanks(S.first(Eq));
    Line.LineKind = TKind::Key;
    Line.NameStart = Name.isEmpty() ? Eq : Name.data() - S.data();
    Line.NameLength = Name.size();
    Line.ValueStart = Eq + 1;
    return Line;
  }

  static TLine MakeSection(const QString& AName) {
    return Parse(QLatin1Char('[') + AName + QLatin1Char(']'));
  }
  static TLine MakeKey(const QString& AKey, const QString& AValue) {
    return Parse(AKey + QLatin1Char('=') + AValue);
  }

  // Index of the header of the first section with that name; -1 when none.
  qsizetype FindSection(QStringView ASection) const {
    for (qsizetype I = 0; I < Lines.size(); ++I)
      if (Lines[I].LineKind == TKind::Section && SameName(Lines[I].Name(), ASection))
        return I;
    return -1;
  }

  // One past the last line of the section whose header is at `header`.
  qsizetype SectionEnd(qsizetype AHeader) const {
    qsizetype I = AHeader + 1;
    while (I < Lines.size() && Lines[I].LineKind != TKind::Section)
      ++I;
    return I;
  }

  // Index of the first line of the key in the first section of that name.
  qsizetype FindKey(QStringView ASection, QStringView AKey) const {
    const qsizetype Header = FindSection(ASection);
    if (Header < 0)
      return -1;
    const qsizetype End = SectionEnd(Header);
    for (qsizetype I = Header + 1; I < End; ++I)
      if (Lines[I].LineKind == TKind::Key && SameName(Lines[I].Name(), AKey))
        return I;
    return -1;
  }
};

TIniDocument::TIniDocument() : FData(std::make_unique<Data>()) {}
TIniDocument::~TIniDocument() = default;
TIniDocument::TIniDocument(const TIniDocument& AOther)
    : FData(std::make_unique<Data>(*AOther.FData)) {}
TIniDocument& TIniDocument::operator=(const TIniDocument& AOther) {
  if (this != &AOther)
    *FData = *AOther.FData;
  return *this;
}

TIniDocument TIniDocument::FromBytes(const QByteArray& ABytes) {
  TIniDocument Doc;
  const QString Text = DecodeText(ABytes);
  const QStringView All(Text);
  qsizetype Start = 0;
  const qsizetype Size = All.size();
  // Next CR and LF at or after `start`; searched with indexOf, which stays
  // fast on the megabyte lines of a damaged file.
  qsizetype NextCr = -1;
  qsizetype NextLf = -1;
  while (Start < Size) {
    if (NextCr != Size && NextCr < Start) {
      NextCr = All.indexOf(QLatin1Char('\r'), Start);
      if (NextCr < 0)
        NextCr = Size;
    }
    if (NextLf != Size && NextLf < Start) {
      NextLf = All.indexOf(QLatin1Char('\n'), Start);
      if (NextLf < 0)
        NextLf = Size;
    }
    qsizetype I = std::min(NextCr, NextLf);
    Doc.FData->Lines.append(Data::Parse(All.sliced(Start, I - Start).toString()));
    if (I < Size && All[I] == QLatin1Char('\r') && I + 1 < Size && All[I + 1] == QLatin1Char('\n'))
      ++I;
    Start = I + 1;
  }
  return Doc;
}

QByteArray TIniDocument::ToBytes() const {
  QString Text;
  qsizetype Total = 0;
  for (const Data::TLine& Line : FData->Lines)
    Total += Line.Text.size() + 2;
  Text.reserve(Total);
  for (const Data::TLine& Line : FData->Lines) {
    Text += Line.Text;
    Text += QLatin1String("\r\n");
  }
  return Text.toUtf8();
}

bool TIniDocument::IsModified() const {
  return FData->Modified;
}

QString TIniDocument::ReadString(const QString& ASection, const QString& AKey,
                                 const QString& ADefaultValue) const {
  const qsizetype I = FData->FindKey(ASection, AKey);
  if (I < 0)
    return ADefaultValue;
  QStringView Value = TrimBlanks(FData->Lines[I].RawValue());
  if (Value.size() >= 2 && Value.front() == Value.back() &&
      (Value.front() == QLatin1Char('"') || Value.front() == QLatin1Char('\'')))
    Value = Value.sliced(1, Value.size() - 2);
  return Value.first(std::min(Value.size(), MaxValueLength)).toString();
}

int TIniDocument::ReadInteger(const QString& ASection, const QString& AKey,
                              int ADefaultValue) const {
  int Result = 0;
  if (ParseInteger(ReadString(ASection, AKey, QString()), Result))
    return Result;
  return ADefaultValue;
}

bool TIniDocument::ReadBool(const QString& ASection, const QString& AKey,
                            bool ADefaultValue) const {
  return ReadInteger(ASection, AKey, ADefaultValue ? 1 : 0) != 0;
}

bool TIniDocument::SectionExists(const QString& ASection) const {
  return FData->FindSection(ASection) >= 0;
}

bool TIniDocument::ValueExists(const QString& ASection, const QString& AKey) const {
  return FData->FindKey(ASection, AKey) >= 0;
}

QStringList TIniDocument::ReadSections() const {
  QStringList Result;
  for (const Data::TLine& Line : FData->Lines) {
    if (Line.LineKind != Data::TKind::Section)
      continue;
    const QString Name = Line.Name().toString();
    if (!Result.contains(Name, Qt::CaseInsensitive))
      Result << Name;
  }
  return Result;
}

QStringList TIniDocument::ReadSectionKeys(const QString& ASection) const {
  QStringList Result;
  const qsizetype Header = FData->FindSection(ASection);
  if (Header < 0)
    return Result;
  const qsizetype End = FData->SectionEnd(Header);
  for (qsizetype I = Header + 1; I < End; ++I) {
    const Data::TLine& Line = FData->Lines[I];
    if (Line.LineKind != Data::TKind::Key)
      continue;
    const QString Name = Line.Name().toString();
    if (!Result.contains(Name, Qt::CaseInsensitive))
      Result << Name;
  }
  return Result;
}

void TIniDocument::WriteString(const QString& ASection, const QString& AKey,
                               const QString& AValue) {
  FData->Modified = true;
  const QString CleanValue = SingleLine(AValue);
  const qsizetype Existing = FData->FindKey(ASection, AKey);
  if (Existing >= 0) {
    // Keep the key's spelling as the file has it.
    FData->Lines[Existing] = Data::MakeKey(FData->Lines[Existing].Name().toString(), CleanValue);
    return;
  }
  const QString CleanKey = SingleLine(AKey);
  const qsizetype Header = FData->FindSection(ASection);
  if (Header < 0) {
    if (!FData->Lines.isEmpty() && !TrimBlanks(FData->Lines.last().Text).isEmpty())
      FData->Lines.append(Data::Parse(QString()));
    FData->Lines.append(Data::MakeSection(SingleLine(ASection)));
    FData->Lines.append(Data::MakeKey(CleanKey, CleanValue));
    return;
  }
  // After the section's last non-blank line, so that the blank line that
  // separates it from the next section stays where it is.
  qsizetype InsertAt = FData->SectionEnd(Header);
  while (InsertAt > Header + 1 && TrimBlanks(FData->Lines[InsertAt - 1].Text).isEmpty())
    --InsertAt;
  FData->Lines.insert(InsertAt, Data::MakeKey(CleanKey, CleanValue));
}

void TIniDocument::WriteInteger(const QString& ASection, const QString& AKey, int AValue) {
  WriteString(ASection, AKey, QString::number(AValue));
}

void TIniDocument::WriteBool(const QString& ASection, const QString& AKey, bool AValue) {
  WriteString(ASection, AKey, AValue ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniDocument::DeleteKey(const QString& ASection, const QString& AKey) {
  // A damaged file may hold the key more than once: after the call none is left.
  for (qsizetype I = FData->FindKey(ASection, AKey); I >= 0; I = FData->FindKey(ASection, AKey)) {
    FData->Lines.removeAt(I);
    FData->Modified = true;
  }
}

void TIniDocument::EraseSection(const QString& ASection) {
  for (qsizetype Header = FData->FindSection(ASection); Header >= 0;
       Header = FData->FindSection(ASection)) {
    FData->Lines.remove(Header, FData->SectionEnd(Header) - Header);
    FData->Modified = true;
  }
}

} // namespace tilvane
