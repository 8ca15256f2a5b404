#include "common/HttpClient.h"

#include "common/AppError.h"

#include <QBuffer>
#include <QIODevice>
#include <QStringDecoder>

#include <curl/curl.h>

#include <chrono>
#include <cstring>
#include <mutex>

namespace tilvane {

namespace {

struct TCurlDeleter {
  void operator()(CURL* AHandle) const { curl_easy_cleanup(AHandle); }
};
using TCurlPtr = std::unique_ptr<CURL, TCurlDeleter>;

struct TSlistDeleter {
  void operator()(curl_slist* AList) const { curl_slist_free_all(AList); }
};

// Large receive buffers keep loopback and LAN downloads at the wire's speed.
constexpr long ReceiveBufferSize = 512L * 1024L;
constexpr long MaxRedirects = 20;

void EnsureCurlInitialised() {
  static std::once_flag Once;
  std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

class THttpClient::TImpl {
public:
  int FConnectionTimeout = 60000;
  int FResponseTimeout = 60000;
  THttpSecureProtocols FProtocols;
  TReceiveDataEvent FOnReceiveData;

  int FStatusCode = 0;
  QString FStatusText;
  QString FContentType;

  // State of the request in progress.
  QIODevice* FSink = nullptr;
  CURL* FHandle = nullptr; // the handle of the request under way
  // Kept from request to request so that the connection to a server is
  // reused: one update fetches its page and every archive from one host.
  TCurlPtr FSession;
  qint64 FReadCount = 0;
  bool FBodyStarted = false;
  bool FAborted = false;
  bool FSinkFailed = false;
  bool FStalled = false;
  std::chrono::steady_clock::time_point FLastActivity;
  curl_off_t FLastDownloaded = 0;
  QString FPendingStatusText;

  void Perform(const QString& AURL, QIODevice& ASink);

  qint64 AnnouncedLength() const {
    curl_off_t Length = -1;
    if (curl_easy_getinfo(FHandle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &Length) != CURLE_OK)
      return -1;
    return Length < 0 ? -1 : static_cast<qint64>(Length);
  }

  // True when the caller asked to stop.
  bool Notify() {
    if (!FOnReceiveData)
      return false;
    bool Abort = false;
    FOnReceiveData(AnnouncedLength(), FReadCount, Abort);
    // Time the caller spent (a paused download) is no stall of the server.
    FLastActivity = std::chrono::steady_clock::now();
    return Abort;
  }

  static int ProgressCallback(void* AUser, curl_off_t, curl_off_t ADownloaded, curl_off_t,
                              curl_off_t) {
    auto* Self = static_cast<TImpl*>(AUser);
    const auto Now = std::chrono::steady_clock::now();
    if (ADownloaded != Self->FLastDownloaded) {
      Self->FLastDownloaded = ADownloaded;
      Self->FLastActivity = Now;
      return 0;
    }
    if (Self->FResponseTimeout > 0 &&
        Now - Self->FLastActivity > std::chrono::milliseconds(Self->FResponseTimeout)) {
      Self->FStalled = true;
      return 1;
    }
    return 0;
  }

  bool StartBody() {
    if (FBodyStarted)
      return false;
    FBodyStarted = true;
    return Notify();
  }

  static size_t WriteCallback(char* AData, size_t ASize, size_t ACount, void* AUser) {
    auto* Self = static_cast<TImpl*>(AUser);
    const size_t Bytes = ASize * ACount;
    if (Self->StartBody()) {
      Self->FAborted = true;
      return CURL_WRITEFUNC_ERROR;
    }
    if (Bytes > 0) {
      const qint64 Written = Self->FSink->write(AData, static_cast<qint64>(Bytes));
      if (Written != static_cast<qint64>(Bytes)) {
        Self->FSinkFailed = true;
        return CURL_WRITEFUNC_ERROR;
      }
      Self->FReadCount += static_cast<qint64>(Bytes);
      if (Self->Notify()) {
        Self->FAborted = true;
        return CURL_WRITEFUNC_ERROR;
      }
    }
    return Bytes;
  }

  // Keeps the reason phrase of the last status line: with redirects each
  // response starts with its own.
  static size_t HeaderCallback(char* AData, size_t ASize, size_t ACount, void* AUser) {
    auto* Self = static_cast<TImpl*>(AUser);
    const size_t Bytes = ASize * ACount;
    const QByteArray Line = QByteArray(AData, static_cast<qsizetype>(Bytes)).trimmed();
    if (Line.startsWith("HTTP/")) {
      // "HTTP/1.1 200 OK": the text after the second space.
      const qsizetype FirstSpace = Line.indexOf(' ');
      const qsizetype SecondSpace = FirstSpace < 0 ? -1 : Line.indexOf(' ', FirstSpace + 1);
      Self->FPendingStatusText =
          SecondSpace < 0 ? QString() : QString::fromLatin1(Line.mid(SecondSpace + 1));
    }
    return Bytes;
  }
};

void THttpClient::TImpl::Perform(const QString& AURL, QIODevice& ASink) {
  EnsureCurlInitialised();
  FStatusCode = 0;
  FStatusText.clear();
  FContentType.clear();
  FPendingStatusText.clear();
  FReadCount = 0;
  FBodyStarted = false;
  FAborted = false;
  FSinkFailed = false;
  FStalled = false;
  FLastActivity = std::chrono::steady_clock::now();
  FLastDownloaded = 0;

  if (FSession)
    curl_easy_reset(FSession.get()); // options go, open connections stay
  else
    FSession.reset(curl_easy_init());
  if (!FSession)
    throw EAppError(QStringLiteral("Unable to create an HTTP session."));
  CURL* H = FSession.get();
  FHandle = H;
  FSink = &ASink;

  char ErrorBuffer[CURL_ERROR_SIZE] = {};
  const QByteArray URL = AURL.toUtf8();
  curl_easy_setopt(H, CURLOPT_URL, URL.constData());
  curl_easy_setopt(H, CURLOPT_ERRORBUFFER, ErrorBuffer);
  curl_easy_setopt(H, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(H, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(H, CURLOPT_MAXREDIRS, MaxRedirects);
  curl_easy_setopt(H, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(H, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(H, CURLOPT_BUFFERSIZE, ReceiveBufferSize);
  curl_easy_setopt(H, CURLOPT_WRITEFUNCTION, &TImpl::WriteCallback);
  curl_easy_setopt(H, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(H, CURLOPT_HEADERFUNCTION, &TImpl::HeaderCallback);
  curl_easy_setopt(H, CURLOPT_HEADERDATA, this);
  if (FConnectionTimeout > 0)
    curl_easy_setopt(H, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FConnectionTimeout));
  // The stall limit is checked in the progress callback, which the transfer
  // library also calls about once a second while nothing arrives.
  curl_easy_setopt(H, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(H, CURLOPT_XFERINFOFUNCTION, &TImpl::ProgressCallback);
  curl_easy_setopt(H, CURLOPT_XFERINFODATA, this);
  if (FProtocols) {
    long Min = CURL_SSLVERSION_TLSv1_2;
    if (FProtocols.testFlag(THttpSecureProtocol::Tls11))
      Min = CURL_SSLVERSION_TLSv1_1;
    if (FProtocols.testFlag(THttpSecureProtocol::Tls10))
      Min = CURL_SSLVERSION_TLSv1_0;
    long Max = static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_0);
    if (FProtocols.testFlag(THttpSecureProtocol::Tls11))
      Max = static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_1);
    if (FProtocols.testFlag(THttpSecureProtocol::Tls12))
      Max = static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2);
    curl_easy_setopt(H, CURLOPT_SSLVERSION, static_cast<long>(Min) | Max);
  }

  const CURLcode Result = curl_easy_perform(H);

  long Code = 0;
  curl_easy_getinfo(H, CURLINFO_RESPONSE_CODE, &Code);
  char* ContentType = nullptr;
  curl_easy_getinfo(H, CURLINFO_CONTENT_TYPE, &ContentType);
  FStatusCode = static_cast<int>(Code);
  if (Code > 0) {
    FStatusText = FPendingStatusText;
    if (ContentType)
      FContentType = QString::fromLatin1(ContentType);
  }

  const bool AbortedByCaller = FAborted && Result == CURLE_WRITE_ERROR;
  if (Result == CURLE_OK && Code > 0 && !FBodyStarted && !FAborted) {
    // An empty body still announces its start once.
    StartBody();
  }
  FSink = nullptr;
  FHandle = nullptr;

  if (Result == CURLE_OK || AbortedByCaller)
    return;
  if (FSinkFailed) {
    throw EAppError(
        QStringLiteral("Unable to write the received data: %1").arg(ASink.errorString()));
  }
  if (FStalled) {
    throw EAppError(
        QStringLiteral("Operation timed out: no data received for %1 ms.").arg(FResponseTimeout));
  }
  const QString Message = ErrorBuffer[0] != '\0' ? QString::fromUtf8(ErrorBuffer).trimmed()
                                                 : QString::fromUtf8(curl_easy_strerror(Result));
  throw EAppError(Message);
}

THttpClient::THttpClient() : FImpl(std::make_unique<TImpl>()) {}
THttpClient::~THttpClient() = default;

void THttpClient::SetConnectionTimeout(int AMilliseconds) {
  FImpl->FConnectionTimeout = AMilliseconds;
}
int THttpClient::ConnectionTimeout() const {
  return FImpl->FConnectionTimeout;
}
void THttpClient::SetResponseTimeout(int AMilliseconds) {
  FImpl->FResponseTimeout = AMilliseconds;
}
int THttpClient::ResponseTimeout() const {
  return FImpl->FResponseTimeout;
}
void THttpClient::SetSecureProtocols(THttpSecureProtocols AProtocols) {
  FImpl->FProtocols = AProtocols;
}
THttpSecureProtocols THttpClient::SecureProtocols() const {
  return FImpl->FProtocols;
}
void THttpClient::SetOnReceiveData(TReceiveDataEvent AEvent) {
  FImpl->FOnReceiveData = std::move(AEvent);
}

QString THttpClient::GetText(const QString& AURL) {
  const QByteArray Body = GetBytes(AURL);
  return DecodeHttpBody(Body, FImpl->FContentType);
}

void THttpClient::GetToStream(const QString& AURL, QIODevice& AStream) {
  FImpl->Perform(AURL, AStream);
}

QByteArray THttpClient::GetBytes(const QString& AURL) {
  QByteArray Body;
  QBuffer Buffer(&Body);
  Buffer.open(QIODevice::WriteOnly);
  FImpl->Perform(AURL, Buffer);
  Buffer.close();
  return Body;
}

int THttpClient::StatusCode() const {
  return FImpl->FStatusCode;
}
QString THttpClient::StatusText() const {
  return FImpl->FStatusText;
}
QString THttpClient::ContentType() const {
  return FImpl->FContentType;
}

QString CharsetOfContentType(const QString& AContentType) {
  const auto Parameters = QStringView(AContentType).split(u';');
  for (qsizetype I = 1; I < Parameters.size(); ++I) {
    const QStringView Parameter = Parameters[I].trimmed();
    const qsizetype Equals = Parameter.indexOf(u'=');
    if (Equals < 0)
      continue;
    if (Parameter.left(Equals).trimmed().compare(u"charset", Qt::CaseInsensitive) != 0)
      continue;
    QStringView Value = Parameter.mid(Equals + 1).trimmed();
    if (Value.size() >= 2 && Value.startsWith(u'"') && Value.endsWith(u'"'))
      Value = Value.mid(1, Value.size() - 2);
    return Value.toString();
  }
  return {};
}

QString DecodeHttpBody(const QByteArray& ABody, const QString& AContentType) {
  const QString Charset = CharsetOfContentType(AContentType);
  if (!Charset.isEmpty()) {
    const QByteArray Name = Charset.toLatin1();
    QStringDecoder Decoder(Name.constData());
    if (Decoder.isValid())
      return Decoder.decode(ABody);
  }
  QStringDecoder Utf8(QStringDecoder::Utf8);
  return Utf8.decode(ABody);
}

} // namespace tilvane
