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
constexpr Qt::CaseSensitivity FileNameCase = Qt::CaseSensitive;
#endif

bool SameFileNameChar(QChar AA, QChar AB) {
  return FileNameCase == Qt::CaseSensitive ? AA == AB : AA.toCaseFolded() == AB.toCaseFolded();
}

// "*" stands for any run of characters, "?" for exactly one. As on Windows,
// "*.*" means every file, also one whose name has no dot.
bool MatchesMask(QStringView AName, QStringView AMask) {
  if (AMask == u"*.*" || AMask == u"*")
    return true;
  qsizetype N = 0;
  qsizetype M = 0;
  qsizetype StarMask = -1;
  qsizetype StarName = 0;
  while (N < AName.size()) {
    if (M < AMask.size() && AMask[M] == QLatin1Char('*')) {
      StarMask = M++;
      StarName = N;
    } else if (M < AMask.size() &&
               (AMask[M] == QLatin1Char('?') || SameFileNameChar(AMask[M], AName[N]))) {
      ++M;
      ++N;
    } else if (StarMask >= 0) {
      M = StarMask + 1;
      N = ++StarName;
    } else {
      return false;
    }
  }
  while (M < AMask.size() && AMask[M] == QLatin1Char('*'))
    ++M;
  return M == AMask.size();
}

bool IsWordChar(QChar AC) {
  return AC.isLetter() || AC.isDigit();
}

} // namespace

void DeleteDirAndFiles(const QString& ADir, const QString& AFileMask, bool ASaveRootDir,
                       bool AOnlyDeleteFirstLevel) {
  // Descending into subfolders is never asked for: folders are always skipped.
  Q_UNUSED(AOnlyDeleteFirstLevel);
  if (ADir.isEmpty())
    return;
  const QString Dir = ADir.endsWith(PathDelim()) ? ADir : ADir + PathDelim();

  const QFileInfoList Entries = QDir(Dir).entryInfoList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
  for (const QFileInfo& Entry : Entries) {
    if (!MatchesMask(Entry.fileName(), AFileMask))
      continue;
    if (Entry.isDir()) // a link to a folder counts as one, as on Windows
      continue;
    std::error_code Ec;
    std::filesystem::remove(std::filesystem::path(Entry.filePath().toStdU16String()), Ec);
    if (Ec) {
      throw EAppError(QStringLiteral("Unable to delete ") + Dir + Entry.fileName() +
                      QStringLiteral("\r\nError: ") + QString::fromLocal8Bit(Ec.message()));
    }
  }

  if (!ASaveRootDir)
    QDir().rmdir(Dir); // only an empty folder goes; a failure is of no concern
}

void GetBuildInfo(std::uint16_t& AV1, std::uint16_t& AV2, std::uint16_t& AV3, std::uint16_t& AV4) {
  const std::optional<platform::TFileVersion> Version = platform::ProgramFileVersion();
  if (!Version)
    return;
  AV1 = (*Version)[0];
  AV2 = (*Version)[1];
  AV3 = (*Version)[2];
  AV4 = (*Version)[3];
}

QString GetBuildInfoAsString() {
  std::uint16_t V1 = 0, V2 = 0, V3 = 0, V4 = 0;
  GetBuildInfo(V1, V2, V3, V4);
  return QStringLiteral("%1.%2.%3.%4").arg(V1).arg(V2).arg(V3).arg(V4);
}

bool KeyWordInString(QStringView AString, const QString& AKeyWord, TSearchOptions ASearchOptions) {
  // The text is zero-terminated: nothing after a NUL belongs to it.
  const qsizetype Nul = AString.indexOf(QChar(u'\0'));
  const QStringView Text = Nul >= 0 ? AString.first(Nul) : AString;
  const qsizetype M = AKeyWord.size();
  if (M == 0 || M > Text.size())
    return false;

  const bool MatchCase = HasOption(ASearchOptions, TSearchOption::soMatchCase);
  const bool WholeWord = HasOption(ASearchOptions, TSearchOption::soWholeWord);
  // Upper case character by character, so that positions stay aligned with
  // the text (a full mapping turns "ß" into "SS").
  auto Upper = [](QStringView AS) {
    QString Result(AS.size(), Qt::Uninitialized);
    for (qsizetype I = 0; I < AS.size(); ++I)
      Result[I] = AS[I].toUpper();
    return Result;
  };
  const QString Haystack = MatchCase ? Text.toString() : Upper(Text);
  const QString Needle = MatchCase ? AKeyWord : Upper(AKeyWord);

  for (qsizetype From = 0;;) {
    const qsizetype At = Haystack.indexOf(Needle, From, Qt::CaseSensitive);
    if (At < 0)
      return false;
    if (!WholeWord)
      return true;
    const bool StartsWord = At == 0 || !IsWordChar(Text[At - 1]);
    const bool EndsWord = At + M == Text.size() || !IsWordChar(Text[At + M]);
    if (StartsWord && EndsWord)
      return true;
    From = At + 1;
  }
}

QString GetSpecialFolderPath(platform::IPlatform& APlatform, int ACSIDLFolder) {
  switch (ACSIDLFolder) {
  case CSIDL_DESKTOP:
    return FromPlatform(APlatform.DesktopFolder());
  case CSIDL_PERSONAL:
    return FromPlatform(APlatform.DocumentsFolder());
  case CSIDL_LOCAL_APPDATA:
    return FromPlatform(APlatform.LocalAppDataFolder());
  case CSIDL_PROGRAM_FILES:
    return FromPlatform(APlatform.ProgramFilesFolder());
  default:
    return QString();
  }
}

QString GetDesktopFolderPath(platform::IPlatform& APlatform) {
  return GetSpecialFolderPath(APlatform, CSIDL_DESKTOP);
}

} // namespace tilvane
