#include "core/server/ServerURL.h"

#include "core/server/ServerVersionMarkers.h"

#include <QList>

namespace tilvane {

namespace {

bool IsUnreserved(char32_t AC) {
  if ((AC >= U'A' && AC <= U'Z') || (AC >= U'a' && AC <= U'z') || (AC >= U'0' && AC <= U'9'))
    return true;
  switch (AC) {
  case U'!':
  case U'$':
  case U'\'':
  case U'(':
  case U')':
  case U'*':
  case U'-':
  case U'.':
  case U'@':
  case U'_':
    return true;
  default:
    return false;
  }
}

void AppendEscaped(QString& AResult, unsigned char AByte) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  AResult.append(u'%');
  AResult.append(QLatin1Char(Hex[AByte >> 4]));
  AResult.append(QLatin1Char(Hex[AByte & 0x0F]));
}

} // namespace

QString EncodeServerQueryValue(const QString& AValue) {
  QString Result;
  Result.reserve(AValue.size() * 3);
  const QList<uint> CodePoints = AValue.toUcs4();
  for (const char32_t C : CodePoints) {
    if (IsUnreserved(C)) {
      Result.append(QChar(static_cast<char16_t>(C)));
    } else if (C == U' ') {
      Result.append(u'+');
    } else {
      // A lone surrogate becomes U+FFFD, the way the UTF-8 encoder writes it.
      const QByteArray Bytes = QString::fromUcs4(&C, 1).toUtf8();
      for (const char Byte : Bytes)
        AppendEscaped(Result, static_cast<unsigned char>(Byte));
    }
  }
  return Result;
}

QString CreateServerURL(const QString& AServerURL, const QString& AWebUsername,
                        const QString& AWebPassword) {
  if (AWebUsername.isEmpty() && AWebPassword.isEmpty())
    return AServerURL;
  return AServerURL + (AServerURL.contains(u'?') ? u'&' : u'?') +
         QStringLiteral("login=true&username=") + EncodeServerQueryValue(AWebUsername) +
         QStringLiteral("&password=") + EncodeServerQueryValue(AWebPassword);
}

TServerPageCheck CheckServerPage(QStringView APage, TFSVersion AExpected) {
  TServerPageCheck Check;
  if (APage.contains(u"<title>Farming Simulator Dedicated Server | Login</title>")) {
    Check.Verdict = TServerPageVerdict::LoginPage;
    Check.Message = QStringLiteral("Unable to login into server. Did you correctly enter the Web "
                                   "user name and Web password?");
    return Check;
  }
  if (!APage.contains(u"<title>Farming Simulator Dedicated Server | Mods</title>")) {
    Check.Verdict = TServerPageVerdict::UnknownPage;
    return Check;
  }
  const std::optional<TServerVersionInfo> Version = DetectServerVersion(APage);
  if (!Version) {
    Check.Verdict = TServerPageVerdict::NoVersion;
    Check.Message = ServerVersionNotDetectedMessage();
    return Check;
  }
  Check.DetectedFSVersion = Version->FSVersion;
  if (Version->FSVersion != AExpected) {
    Check.Verdict = TServerPageVerdict::WrongGeneration;
    Check.Message = QStringLiteral("The Server URL is not a Farming Simulator ") +
                    FSVersionToNumberStr(AExpected) + QStringLiteral(" dedicated server.\r\n") +
                    QStringLiteral("It was detected to be a Farming Simulator ") +
                    FSVersionToNumberStr(Version->FSVersion) + u'.';
    return Check;
  }
  if (APage.contains(u" | Login")) {
    Check.Verdict = TServerPageVerdict::LoginPending;
    Check.Message = QStringLiteral("Unable to login into Farming Simulator dedicated server.");
    return Check;
  }
  Check.Verdict = TServerPageVerdict::ModPage;
  return Check;
}

QString UnableToRetrieveModListMessage(const QString& AError) {
  return QStringLiteral("Unable to retrieve mod list from server.\r\nError: ") + AError;
}

QString UnknownModPageNotice() {
  return QStringLiteral(
      "Server URL does not look like a Farming Simulator dedicated server mod list page.");
}

} // namespace tilvane
