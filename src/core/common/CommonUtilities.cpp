#include "core/common/CommonUtilities.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "platform/Platform.h"
#include "platform/ProgramVersion.h"

#include <QDir>
#include <QFileInfo>

#include <filesystem>
#include <optional>
#include <system_error>

namespace tilvane {

namespace {

// File names compare the way the file system does: exactly on Linux, without
// regard to letter case on Windows.
#ifdef _WIN32
constexpr Qt::CaseSensitivity kFileNameCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kFileNameCase = Qt::CaseSensitive;
#endif

bool SameFileNameChar(QChar a, QChar b) {
  return kFileNameCase == Qt::CaseSensitive ? a == b : a.toCaseFolded() == b.toCaseFolded();
}

// "*" stands for any run of characters, "?" for exactly one. As on Windows,
// "*.*" means every file, also one whose name has no dot.
bool MatchesMask(QStringView name, QStringView mask) {
  if (mask == u"*.*" || mask == u"*")
    return true;
  qsizetype n = 0;
  qsizetype m = 0;
  qsizetype starMask = -1;
  qsizetype starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == QLatin1Char('*')) {
      starMask = m++;
      starName = n;
    } else if (m < mask.size() &&
               (mask[m] == QLatin1Char('?') || SameFileNameChar(mask[m], name[n]))) {
      ++m;
      ++n;
    } else if (starMask >= 0) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == QLatin1Char('*'))
    ++m;
  return m == mask.size();
}

bool IsWordChar(QChar c) {
  return c.isLetter() || c.isDigit();
}

} // namespace

void DeleteDirAndFiles(const QString& Dir, const QString& FileMask, bool ASaveRootDir,
                       bool OnlyDeleteFirstLevel) {
  // Descending into subfolders is never asked for: folders are always skipped.
  Q_UNUSED(OnlyDeleteFirstLevel);
  if (Dir.isEmpty())
    return;
  const QString dir = Dir.endsWith(PathDelim()) ? Dir : Dir + PathDelim();

  const QFileInfoList entries = QDir(dir).entryInfoList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QFileInfo& entry : entries) {
    if (!MatchesMask(entry.fileName(), FileMask))
      continue;
    if (entry.isDir()) // a link to a folder counts as one, as on Windows
      continue;
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(entry.filePath().toStdU16String()), ec);
    if (ec) {
      throw EAppError(QStringLiteral("Unable to delete ") + dir + entry.fileName() +
                      QStringLiteral("\r\nError: ") + QString::fromLocal8Bit(ec.message()));
    }
  }

  if (!ASaveRootDir)
    QDir().rmdir(dir); // only an empty folder goes; a failure is of no concern
}

void GetBuildInfo(std::uint16_t& V1, std::uint16_t& V2, std::uint16_t& V3, std::uint16_t& V4) {
  const std::optional<platform::TFileVersion> Version = platform::ProgramFileVersion();
  if (!Version)
    return;
  V1 = (*Version)[0];
  V2 = (*Version)[1];
  V3 = (*Version)[2];
  V4 = (*Version)[3];
}

QString GetBuildInfoAsString() {
  std::uint16_t v1 = 0, v2 = 0, v3 = 0, v4 = 0;
  GetBuildInfo(v1, v2, v3, v4);
  return QStringLiteral("%1.%2.%3.%4").arg(v1).arg(v2).arg(v3).arg(v4);
}

bool KeyWordInString(QStringView AString, const QString& AKeyWord, TSearchOptions ASearchOptions) {
  // The text is zero-terminated: nothing after a NUL belongs to it.
  const qsizetype nul = AString.indexOf(QChar(u'\0'));
  const QStringView text = nul >= 0 ? AString.first(nul) : AString;
  const qsizetype m = AKeyWord.size();
  if (m == 0 || m > text.size())
    return false;

  const bool matchCase = HasOption(ASearchOptions, TSearchOption::soMatchCase);
  const bool wholeWord = HasOption(ASearchOptions, TSearchOption::soWholeWord);
  // Upper case character by character, so that positions stay aligned with
  // the text (a full mapping turns "ß" into "SS").
  auto upper = [](QStringView s) {
    QString result(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i)
      result[i] = s[i].toUpper();
    return result;
  };
  const QString haystack = matchCase ? text.toString() : upper(text);
  const QString needle = matchCase ? AKeyWord : upper(AKeyWord);

  for (qsizetype from = 0;;) {
    const qsizetype at = haystack.indexOf(needle, from, Qt::CaseSensitive);
    if (at < 0)
      return false;
    if (!wholeWord)
      return true;
    const bool startsWord = at == 0 || !IsWordChar(text[at - 1]);
    const bool endsWord = at + m == text.size() || !IsWordChar(text[at + m]);
    if (startsWord && endsWord)
      return true;
    from = at + 1;
  }
}

QString GetSpecialFolderPath(platform::IPlatform& platform, int CSIDLFolder) {
  switch (CSIDLFolder) {
  case CSIDL_DESKTOP:
    return FromPlatform(platform.DesktopFolder());
  case CSIDL_PERSONAL:
    return FromPlatform(platform.DocumentsFolder());
  case CSIDL_LOCAL_APPDATA:
    return FromPlatform(platform.LocalAppDataFolder());
  case CSIDL_PROGRAM_FILES:
    return FromPlatform(platform.ProgramFilesFolder());
  default:
    return QString();
  }
}

QString GetDesktopFolderPath(platform::IPlatform& platform) {
  return GetSpecialFolderPath(platform, CSIDL_DESKTOP);
}

} // namespace tilvane
