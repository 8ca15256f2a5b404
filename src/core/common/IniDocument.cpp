#include "core/common/IniFile.h"
#include "core/common/TextCodecs.h"

#include <QStringDecoder>

#include <limits>

namespace tilvane {

namespace {

// Longest value a read gives back; longer values are cut.
constexpr qsizetype kMaxValueLength = 2047;

// Settings files come from this program (UTF-8), from its single-game
// predecessor (the system's ANSI code page, Windows-1252 on the players'
// machines) or from a text editor (UTF-8 or UTF-16 with a byte-order mark).
QString DecodeText(const QByteArray& bytes) {
  QByteArrayView view(bytes);
  if (view.startsWith("\xEF\xBB\xBF"))
    return QString::fromUtf8(view.sliced(3));
  if (view.startsWith("\xFF\xFE"))
    return QStringDecoder(QStringDecoder::Utf16LE)(view.sliced(2));
  if (view.startsWith("\xFE\xFF"))
    return QStringDecoder(QStringDecoder::Utf16BE)(view.sliced(2));
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = utf8(view);
  if (!utf8.hasError())
    return text;
  return DecodeWindows1252(view);
}

bool IsBlank(QChar c) {
  return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView TrimBlanks(QStringView s) {
  qsizetype begin = 0;
  qsizetype end = s.size();
  while (begin < end && IsBlank(s[begin]))
    ++begin;
  while (end > begin && IsBlank(s[end - 1]))
    --end;
  return s.sliced(begin, end - begin);
}

bool SameName(QStringView a, QStringView b) {
  return a.size() == b.size() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break inside a value or name would start a new line in the file and
// could plant a key or section of its own: store it as a blank instead.
QString SingleLine(const QString& text) {
  if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
    return text;
  QString result = text;
  result.replace(QLatin1Char('\r'), QLatin1Char(' '));
  result.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return result;
}

// Decimal, or hexadecimal after "$" or "0x"; an optional sign before either.
bool ParseInteger(QStringView text, int& result) {
  if (text.isEmpty())
    return false;
  bool negative = false;
  if (text.front() == QLatin1Char('-') || text.front() == QLatin1Char('+')) {
    negative = text.front() == QLatin1Char('-');
    text = text.sliced(1);
  }
  int base = 10;
  if (text.startsWith(QLatin1Char('$'))) {
    base = 16;
    text = text.sliced(1);
  } else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    base = 16;
    text = text.sliced(2);
  }
  if (text.isEmpty())
    return false;
  quint64 value = 0;
  for (const QChar c : text) {
    int digit = -1;
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
      digit = u - u'0';
    else if (base == 16 && u >= u'a' && u <= u'f')
      digit = u - u'a' + 10;
    else if (base == 16 && u >= u'A' && u <= u'F')
      digit = u - u'A' + 10;
    if (digit < 0)
      return false;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull)
      return false;
  }
  if (base == 16) {
    // A hexadecimal number names the 32 bits themselves, as "$FFFFFFFF" = -1.
    // The sign negates in 32-bit unsigned arithmetic, so "-$80000000" wraps
    // to the smallest int instead of overflowing.
    quint32 bits = static_cast<quint32>(value);
    if (negative)
      bits = 0u - bits;
    result = static_cast<qint32>(bits);
    return true;
  }
  const qint64 signedValue = negative ? -static_cast<qint64>(value) : static_cast<qint64>(value);
  if (signedValue < std::numeric_limits<int>::min() ||
      signedValue > std::numeric_limits<int>::max())
    return false;
  result = static_cast<int>(signedValue);
  return true;
}

} // namespace

// The file as lines. Lines that no operation changes are written back as they
// were read (only the line breaks become CR LF).
struct TIniDocument::Data {
  enum class Kind { Other, Section, Key };
  struct Line {
    QString Text;
    Kind LineKind = Kind::Other;
    qsizetype NameStart = 0; // section name or key name within Text
    qsizetype NameLength = 0;
    qsizetype ValueStart = 0; // after '=' (keys only)

    QStringView Name() const { return QStringView(Text).sliced(NameStart, NameLength); }
    QStringView RawValue() const { return QStringView(Text).sliced(ValueStart); }
  };

  QList<Line> Lines;
  bool Modified = false; // a write or a deletion changed something

  static Line Parse(QString text) {
    Line line;
    line.Text = std::move(text);
    const QStringView s(line.Text);
    const QStringView trimmed = TrimBlanks(s);
    if (trimmed.startsWith(QLatin1Char('['))) {
      const qsizetype close = trimmed.lastIndexOf(QLatin1Char(']'));
      if (close > 0) {
        const QStringView name = TrimBlanks(trimmed.sliced(1, close - 1));
        line.LineKind = Kind::Section;
        line.NameStart = name.data() - s.data();
        line.NameLength = name.size();
        return line;
      }
    }
    const qsizetype eq = s.indexOf(QLatin1Char('='));
    if (eq < 0)
      return line; // not a key: kept, never read
    const QStringView name = TrimBlanks(s.first(eq));
    line.LineKind = Kind::Key;
    line.NameStart = name.isEmpty() ? eq : name.data() - s.data();
    line.NameLength = name.size();
    line.ValueStart = eq + 1;
    return line;
  }

  static Line MakeSection(const QString& name) {
    return Parse(QLatin1Char('[') + name + QLatin1Char(']'));
  }
  static Line MakeKey(const QString& key, const QString& value) {
    return Parse(key + QLatin1Char('=') + value);
  }

  // Index of the header of the first section with that name; -1 when none.
  qsizetype FindSection(QStringView section) const {
    for (qsizetype i = 0; i < Lines.size(); ++i)
      if (Lines[i].LineKind == Kind::Section && SameName(Lines[i].Name(), section))
        return i;
    return -1;
  }

  // One past the last line of the section whose header is at `header`.
  qsizetype SectionEnd(qsizetype header) const {
    qsizetype i = header + 1;
    while (i < Lines.size() && Lines[i].LineKind != Kind::Section)
      ++i;
    return i;
  }

  // Index of the first line of the key in the first section of that name.
  qsizetype FindKey(QStringView section, QStringView key) const {
    const qsizetype header = FindSection(section);
    if (header < 0)
      return -1;
    const qsizetype end = SectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
      if (Lines[i].LineKind == Kind::Key && SameName(Lines[i].Name(), key))
        return i;
    return -1;
  }
};

TIniDocument::TIniDocument() : d(std::make_unique<Data>()) {}
TIniDocument::~TIniDocument() = default;
TIniDocument::TIniDocument(const TIniDocument& other) : d(std::make_unique<Data>(*other.d)) {}
TIniDocument& TIniDocument::operator=(const TIniDocument& other) {
  if (this != &other)
    *d = *other.d;
  return *this;
}

TIniDocument TIniDocument::FromBytes(const QByteArray& bytes) {
  TIniDocument doc;
  const QString text = DecodeText(bytes);
  const QStringView all(text);
  qsizetype start = 0;
  const qsizetype size = all.size();
  // Next CR and LF at or after `start`; searched with indexOf, which stays
  // fast on the megabyte lines of a damaged file.
  qsizetype nextCr = -1;
  qsizetype nextLf = -1;
  while (start < size) {
    if (nextCr != size && nextCr < start) {
      nextCr = all.indexOf(QLatin1Char('\r'), start);
      if (nextCr < 0)
        nextCr = size;
    }
    if (nextLf != size && nextLf < start) {
      nextLf = all.indexOf(QLatin1Char('\n'), start);
      if (nextLf < 0)
        nextLf = size;
    }
    qsizetype i = std::min(nextCr, nextLf);
    doc.d->Lines.append(Data::Parse(all.sliced(start, i - start).toString()));
    if (i < size && all[i] == QLatin1Char('\r') && i + 1 < size && all[i + 1] == QLatin1Char('\n'))
      ++i;
    start = i + 1;
  }
  return doc;
}

QByteArray TIniDocument::ToBytes() const {
  QString text;
  qsizetype total = 0;
  for (const Data::Line& line : d->Lines)
    total += line.Text.size() + 2;
  text.reserve(total);
  for (const Data::Line& line : d->Lines) {
    text += line.Text;
    text += QLatin1String("\r\n");
  }
  return text.toUtf8();
}

bool TIniDocument::IsModified() const {
  return d->Modified;
}

QString TIniDocument::ReadString(const QString& section, const QString& key,
                                 const QString& defaultValue) const {
  const qsizetype i = d->FindKey(section, key);
  if (i < 0)
    return defaultValue;
  QStringView value = TrimBlanks(d->Lines[i].RawValue());
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
    value = value.sliced(1, value.size() - 2);
  return value.first(std::min(value.size(), kMaxValueLength)).toString();
}

int TIniDocument::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
  int result = 0;
  if (ParseInteger(ReadString(section, key, QString()), result))
    return result;
  return defaultValue;
}

bool TIniDocument::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool TIniDocument::SectionExists(const QString& section) const {
  return d->FindSection(section) >= 0;
}

bool TIniDocument::ValueExists(const QString& section, const QString& key) const {
  return d->FindKey(section, key) >= 0;
}

QStringList TIniDocument::ReadSections() const {
  QStringList result;
  for (const Data::Line& line : d->Lines) {
    if (line.LineKind != Data::Kind::Section)
      continue;
    const QString name = line.Name().toString();
    if (!result.contains(name, Qt::CaseInsensitive))
      result << name;
  }
  return result;
}

QStringList TIniDocument::ReadSectionKeys(const QString& section) const {
  QStringList result;
  const qsizetype header = d->FindSection(section);
  if (header < 0)
    return result;
  const qsizetype end = d->SectionEnd(header);
  for (qsizetype i = header + 1; i < end; ++i) {
    const Data::Line& line = d->Lines[i];
    if (line.LineKind != Data::Kind::Key)
      continue;
    const QString name = line.Name().toString();
    if (!result.contains(name, Qt::CaseInsensitive))
      result << name;
  }
  return result;
}

void TIniDocument::WriteString(const QString& section, const QString& key, const QString& value) {
  d->Modified = true;
  const QString cleanValue = SingleLine(value);
  const qsizetype existing = d->FindKey(section, key);
  if (existing >= 0) {
    // Keep the key's spelling as the file has it.
    d->Lines[existing] = Data::MakeKey(d->Lines[existing].Name().toString(), cleanValue);
    return;
  }
  const QString cleanKey = SingleLine(key);
  const qsizetype header = d->FindSection(section);
  if (header < 0) {
    if (!d->Lines.isEmpty() && !TrimBlanks(d->Lines.last().Text).isEmpty())
      d->Lines.append(Data::Parse(QString()));
    d->Lines.append(Data::MakeSection(SingleLine(section)));
    d->Lines.append(Data::MakeKey(cleanKey, cleanValue));
    return;
  }
  // After the section's last non-blank line, so that the blank line that
  // separates it from the next section stays where it is.
  qsizetype insertAt = d->SectionEnd(header);
  while (insertAt > header + 1 && TrimBlanks(d->Lines[insertAt - 1].Text).isEmpty())
    --insertAt;
  d->Lines.insert(insertAt, Data::MakeKey(cleanKey, cleanValue));
}

void TIniDocument::WriteInteger(const QString& section, const QString& key, int value) {
  WriteString(section, key, QString::number(value));
}

void TIniDocument::WriteBool(const QString& section, const QString& key, bool value) {
  WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniDocument::DeleteKey(const QString& section, const QString& key) {
  // A damaged file may hold the key more than once: after the call none is left.
  for (qsizetype i = d->FindKey(section, key); i >= 0; i = d->FindKey(section, key)) {
    d->Lines.removeAt(i);
    d->Modified = true;
  }
}

void TIniDocument::EraseSection(const QString& section) {
  for (qsizetype header = d->FindSection(section); header >= 0; header = d->FindSection(section)) {
    d->Lines.remove(header, d->SectionEnd(header) - header);
    d->Modified = true;
  }
}

} // namespace tilvane
