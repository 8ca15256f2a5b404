#include "core/http/HttpClient.h"

#include "core/common/AppError.h"

#include <QBuffer>
#include <QIODevice>
#include <QStringDecoder>

#include <curl/curl.h>

#include <chrono>
#include <exception>
#include <mutex>
#include <utility>

namespace tilvane {

namespace {

struct TCurlDeleter {
  void operator()(CURL* AHandle) const { curl_easy_cleanup(AHandle); }
};
using TCurlPtr = std::unique_ptr<CURL, TCurlDeleter>;

struct TCurlMultiDeleter {
  void operator()(CURLM* AHandle) const { curl_multi_cleanup(AHandle); }
};
using TCurlMultiPtr = std::unique_ptr<CURLM, TCurlMultiDeleter>;

// Large receive buffers keep loopback and LAN downloads at the wire's speed.
constexpr long ReceiveBufferSize = 512L * 1024L;
constexpr long MaxRedirects = 20;
// The longest the transfer loop waits on its sockets before it looks at the
// abort check and the stall limit again. A readable socket ends the wait at
// once, so a flowing download never sleeps.
constexpr int PollIntervalMs = 100;

void EnsureCurlInitialised() {
  static std::once_flag Once;
  std::call_once(Once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

class THttpClient::TImpl {
public:
  int FConnectionTimeout = 60000;
  int FResponseTimeout = 60000;
  int FTotalTimeout = 0;
  qint64 FMaxBodySize = 0;
  bool FLimitReached = false;
  THttpSecureProtocols FProtocols;
  TReceiveDataEvent FOnReceiveData;
  THttpAbortCheck FAbortCheck;
  THttpRedirects FRedirects = THttpRedirects::Any;

  int FStatusCode = 0;
  QString FRefusedRedirect;
  QString FStatusText;
  QString FContentType;

  void Perform(const QString& AURL, QIODevice& ASink);

private:
  // Kept from request to request so that the connection to a server is
  // reused: one update fetches its page and every archive from one host. The
  // multi handle holds the open connections; the easy handle is added to it
  // for each request and taken out again when the request ends.
  TCurlMultiPtr FMulti;
  TCurlPtr FSession;
  // Registered with the session handle, so it has to live as long as that.
  char FErrorBuffer[CURL_ERROR_SIZE] = {};

  // State of the request in progress.
  QIODevice* FSink = nullptr;
  CURL* FHandle = nullptr; // the handle of the request under way
  bool FAttached = false;  // FHandle is in FMulti
  qint64 FReadCount = 0;
  bool FBodyStarted = false;
  bool FAborted = false;
  bool FCancelled = false;
  bool FSinkFailed = false;
  bool FStalled = false;
  bool FTimedOut = false; // the total time-out ended the request
  bool FTooLarge = false; // the body would have passed the size cap
  std::chrono::steady_clock::time_point FStarted;
  std::chrono::steady_clock::time_point FLastActivity;
  curl_off_t FLastDownloaded = 0;
  QString FPendingStatusText;
  int FPendingStatus = 0; // of the response whose headers are arriving
  // An exception out of a transfer callback. It must not unwind through the
  // transfer library, so it waits here until that has returned.
  std::exception_ptr FCallbackError;

  void BeginRequest(QIODevice& ASink);
  void PrepareSession(const QByteArray& AURL);
  void SetSecureProtocolOptions();
  CURLcode Transfer();
  bool ShouldStop();
  void CollectResponse(CURLcode AResult);
  void EndRequest();
  [[noreturn]] void RaiseFailure(CURLcode AResult, const QIODevice& ASink) const;

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

  bool StartBody() {
    if (FBodyStarted)
      return false;
    FBodyStarted = true;
    return Notify();
  }

  // Returns the number of bytes taken, anything else stops the transfer.
  size_t Write(const char* AData, size_t ABytes) {
    if (StartBody()) {
      FAborted = true;
      return CURL_WRITEFUNC_ERROR;
    }
    if (ABytes == 0)
      return 0;
    if (FMaxBodySize > 0 && FReadCount + static_cast<qint64>(ABytes) > FMaxBodySize) {
      FTooLarge = true;
      return CURL_WRITEFUNC_ERROR;
    }
    const qint64 Written = FSink->write(AData, static_cast<qint64>(ABytes));
    if (Written != static_cast<qint64>(ABytes)) {
      FSinkFailed = true;
      return CURL_WRITEFUNC_ERROR;
    }
    FReadCount += static_cast<qint64>(ABytes);
    if (Notify()) {
      FAborted = true;
      return CURL_WRITEFUNC_ERROR;
    }
    return ABytes;
  }

  // Keeps the reason phrase of the last status line: with redirects each
  // response starts with its own.
  void TakeHeaderLine(const char* AData, size_t ABytes) {
    const QByteArray Line = QByteArray(AData, static_cast<qsizetype>(ABytes)).trimmed();
    if (!Line.startsWith("HTTP/"))
      return;
    // "HTTP/1.1 200 OK": the text after the second space.
    const qsizetype FirstSpace = Line.indexOf(' ');
    const qsizetype SecondSpace = FirstSpace < 0 ? -1 : Line.indexOf(' ', FirstSpace + 1);
    FPendingStatusText =
        SecondSpace < 0 ? QString() : QString::fromLatin1(Line.mid(SecondSpace + 1));
    FPendingStatus = FirstSpace < 0 ? 0 : Line.mid(FirstSpace + 1, 3).toInt();
  }

  // False, with the target kept, when the line is the Location of a redirect
  // the policy does not allow; the transfer then ends before the library
  // follows it.
  bool RedirectAllowed(const char* AData, size_t ABytes) {
    if (FRedirects == THttpRedirects::Any || FPendingStatus < 300 || FPendingStatus > 399)
      return true;
    const QByteArray Line = QByteArray(AData, static_cast<qsizetype>(ABytes)).trimmed();
    constexpr qsizetype NameLength = sizeof("location:") - 1;
    if (!Line.left(NameLength).toLower().startsWith("location:"))
      return true;
    const QByteArray Target = Line.mid(NameLength).trimmed();
    char* Current = nullptr;
    curl_easy_getinfo(FHandle, CURLINFO_EFFECTIVE_URL, &Current);
    const TOrigin From = OriginOf(Current ? QByteArray(Current) : QByteArray(), {});
    const TOrigin To = OriginOf(Current ? QByteArray(Current) : QByteArray(), Target);
    if (IsSameOrStronger(From, To))
      return true;
    FRefusedRedirect = To.Text();
    return false;
  }

  struct TOrigin {
    QString Scheme;
    QString Host;
    long Port = -1;
    QString GivenPort; // as the URL spells it; empty for the scheme's default
    QString Text() const {
      if (Scheme.isEmpty())
        return QStringLiteral("an address Tilvane cannot read");
      return Scheme + QStringLiteral("://") + Host +
             (GivenPort.isEmpty() ? QString() : u':' + GivenPort);
    }
  };

  // The origin of ATarget resolved against ABase the way the library resolves
  // a relative Location; empty parts when either cannot be read.
  static TOrigin OriginOf(const QByteArray& ABase, const QByteArray& ATarget) {
    struct TUrlDeleter {
      void operator()(CURLU* AUrl) const { curl_url_cleanup(AUrl); }
    };
    std::unique_ptr<CURLU, TUrlDeleter> Url(curl_url());
    TOrigin Origin;
    if (!Url || curl_url_set(Url.get(), CURLUPART_URL, ABase.constData(), 0) != CURLUE_OK)
      return Origin;
    if (!ATarget.isEmpty() &&
        curl_url_set(Url.get(), CURLUPART_URL, ATarget.constData(), 0) != CURLUE_OK)
      return Origin;
    char* Part = nullptr;
    if (curl_url_get(Url.get(), CURLUPART_SCHEME, &Part, 0) == CURLUE_OK)
      Origin.Scheme = QString::fromUtf8(Part).toLower();
    curl_free(std::exchange(Part, nullptr));
    if (curl_url_get(Url.get(), CURLUPART_HOST, &Part, 0) == CURLUE_OK)
      Origin.Host = QString::fromUtf8(Part).toLower();
    curl_free(std::exchange(Part, nullptr));
    if (curl_url_get(Url.get(), CURLUPART_PORT, &Part, CURLU_DEFAULT_PORT) == CURLUE_OK)
      Origin.Port = QByteArray(Part).toLong();
    curl_free(std::exchange(Part, nullptr));
    if (curl_url_get(Url.get(), CURLUPART_PORT, &Part, 0) == CURLUE_OK)
      Origin.GivenPort = QString::fromUtf8(Part);
    curl_free(Part);
    return Origin;
  }

  static bool IsSameOrStronger(const TOrigin& AFrom, const TOrigin& ATo) {
    if (AFrom.Scheme.isEmpty() || ATo.Scheme.isEmpty() || AFrom.Host != ATo.Host)
      return false;
    if (AFrom.Scheme == ATo.Scheme)
      return AFrom.Port == ATo.Port;
    return AFrom.Scheme == QLatin1String("http") && ATo.Scheme == QLatin1String("https");
  }

  static size_t WriteCallback(char* AData, size_t ASize, size_t ACount, void* AUser) noexcept {
    auto* Self = static_cast<TImpl*>(AUser);
    if (Self->FCallbackError)
      return CURL_WRITEFUNC_ERROR;
    try {
      return Self->Write(AData, ASize * ACount);
    } catch (...) {
      Self->FCallbackError = std::current_exception();
      return CURL_WRITEFUNC_ERROR;
    }
  }

  static size_t HeaderCallback(char* AData, size_t ASize, size_t ACount, void* AUser) noexcept {
    auto* Self = static_cast<TImpl*>(AUser);
    const size_t Bytes = ASize * ACount;
    if (Self->FCallbackError)
      return CURL_WRITEFUNC_ERROR;
    try {
      Self->TakeHeaderLine(AData, Bytes);
      if (!Self->RedirectAllowed(AData, Bytes))
        return CURL_WRITEFUNC_ERROR;
      return Bytes;
    } catch (...) {
      Self->FCallbackError = std::current_exception();
      return CURL_WRITEFUNC_ERROR;
    }
  }
};

void THttpClient::TImpl::BeginRequest(QIODevice& ASink) {
  FStatusCode = 0;
  FStatusText.clear();
  FContentType.clear();
  FPendingStatusText.clear();
  FPendingStatus = 0;
  FRefusedRedirect.clear();
  FErrorBuffer[0] = '\0';
  FReadCount = 0;
  FBodyStarted = false;
  FAborted = false;
  FCancelled = false;
  FSinkFailed = false;
  FStalled = false;
  FTimedOut = false;
  FTooLarge = false;
  FLimitReached = false;
  FCallbackError = nullptr;
  FStarted = std::chrono::steady_clock::now();
  FLastActivity = FStarted;
  FLastDownloaded = 0;
  FSink = &ASink;
}

void THttpClient::TImpl::PrepareSession(const QByteArray& AURL) {
  if (!FMulti)
    FMulti.reset(curl_multi_init());
  if (FSession)
    curl_easy_reset(FSession.get()); // options go, open connections stay
  else
    FSession.reset(curl_easy_init());
  if (!FMulti || !FSession)
    throw EAppError(QStringLiteral("Unable to create an HTTP session."));
  CURL* H = FSession.get();
  FHandle = H;

  curl_easy_setopt(H, CURLOPT_URL, AURL.constData());
  curl_easy_setopt(H, CURLOPT_ERRORBUFFER, FErrorBuffer);
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
  SetSecureProtocolOptions();
}

void THttpClient::TImpl::SetSecureProtocolOptions() {
  if (!FProtocols)
    return;
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
  curl_easy_setopt(FHandle, CURLOPT_SSLVERSION, static_cast<long>(Min) | Max);
}

// Drives the transfer itself rather than through curl_easy_perform, which
// calls back only about once a second while nothing happens: a cancel while
// connecting or while the server is silent has to be seen within a tenth of a
// second. Returns the transfer's result, or CURLE_ABORTED_BY_CALLBACK when
// the loop stopped it (FCancelled or FStalled tells why).
CURLcode THttpClient::TImpl::Transfer() {
  CURLM* M = FMulti.get();
  const CURLMcode Added = curl_multi_add_handle(M, FHandle);
  if (Added != CURLM_OK)
    throw EAppError(QString::fromUtf8(curl_multi_strerror(Added)));
  FAttached = true;
  for (;;) {
    int Running = 0;
    CURLMcode Code = curl_multi_perform(M, &Running);
    if (Code != CURLM_OK)
      throw EAppError(QString::fromUtf8(curl_multi_strerror(Code)));
    int Queued = 0;
    while (const CURLMsg* Message = curl_multi_info_read(M, &Queued)) {
      if (Message->msg == CURLMSG_DONE && Message->easy_handle == FHandle)
        return Message->data.result;
    }
    if (ShouldStop())
      return CURLE_ABORTED_BY_CALLBACK;
    Code = curl_multi_poll(M, nullptr, 0, PollIntervalMs, nullptr);
    if (Code != CURLM_OK)
      throw EAppError(QString::fromUtf8(curl_multi_strerror(Code)));
  }
}

bool THttpClient::TImpl::ShouldStop() {
  if (FAbortCheck && FAbortCheck()) {
    FCancelled = true;
    return true;
  }
  const auto Now = std::chrono::steady_clock::now();
  // Our own check rather than the library's CURLOPT_TIMEOUT_MS: its error
  // text would not tell the player which limit the server ran into.
  if (FTotalTimeout > 0 && Now - FStarted > std::chrono::milliseconds(FTotalTimeout)) {
    FTimedOut = true;
    return true;
  }
  if (FResponseTimeout <= 0)
    return false;
  curl_off_t Downloaded = 0;
  curl_easy_getinfo(FHandle, CURLINFO_SIZE_DOWNLOAD_T, &Downloaded);
  if (Downloaded != FLastDownloaded) {
    FLastDownloaded = Downloaded;
    FLastActivity = Now;
    return false;
  }
  if (Now - FLastActivity > std::chrono::milliseconds(FResponseTimeout)) {
    FStalled = true;
    return true;
  }
  return false;
}

void THttpClient::TImpl::CollectResponse(CURLcode AResult) {
  long Code = 0;
  curl_easy_getinfo(FHandle, CURLINFO_RESPONSE_CODE, &Code);
  char* ContentType = nullptr;
  curl_easy_getinfo(FHandle, CURLINFO_CONTENT_TYPE, &ContentType);
  FStatusCode = static_cast<int>(Code);
  if (Code > 0) {
    FStatusText = FPendingStatusText;
    if (ContentType)
      FContentType = QString::fromLatin1(ContentType);
  }
  if (AResult == CURLE_OK && Code > 0 && !FBodyStarted && !FAborted) {
    // An empty body still announces its start once.
    StartBody();
  }
}

// Leaves the session ready for the next request, however this one ended.
void THttpClient::TImpl::EndRequest() {
  if (FAttached)
    curl_multi_remove_handle(FMulti.get(), FHandle);
  FAttached = false;
  FSink = nullptr;
  FHandle = nullptr;
}

void THttpClient::TImpl::RaiseFailure(CURLcode AResult, const QIODevice& ASink) const {
  if (FSinkFailed) {
    throw EAppError(
        QStringLiteral("Unable to write the received data: %1").arg(ASink.errorString()));
  }
  if (FTimedOut)
    throw EAppError(TotalTimeoutMessage(FTotalTimeout));
  if (FTooLarge)
    throw EAppError(BodyTooLargeMessage(FMaxBodySize));
  if (FStalled) {
    throw EAppError(
        QStringLiteral("Operation timed out: no data received for %1 ms.").arg(FResponseTimeout));
  }
  const QString Message = FErrorBuffer[0] != '\0' ? QString::fromUtf8(FErrorBuffer).trimmed()
                                                  : QString::fromUtf8(curl_easy_strerror(AResult));
  throw EAppError(Message);
}

void THttpClient::TImpl::Perform(const QString& AURL, QIODevice& ASink) {
  EnsureCurlInitialised();
  BeginRequest(ASink);
  const QByteArray URL = AURL.toUtf8();
  CURLcode Result = CURLE_OK;
  try {
    PrepareSession(URL);
    Result = Transfer();
    CollectResponse(Result);
  } catch (...) {
    EndRequest();
    throw;
  }
  EndRequest();

  // Raised only now that the transfer library has returned and the session is
  // ready again: unwinding through the library would leave it mid-transfer.
  if (FCallbackError)
    std::rethrow_exception(std::exchange(FCallbackError, nullptr));
  if (!FRefusedRedirect.isEmpty())
    throw EAppError(RefusedRedirectMessage(FRefusedRedirect));
  FLimitReached = FTimedOut || FTooLarge;
  const bool AbortedByCaller = FAborted && Result == CURLE_WRITE_ERROR;
  if (Result == CURLE_OK || AbortedByCaller || FCancelled)
    return;
  RaiseFailure(Result, ASink);
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
void THttpClient::SetTotalTimeout(int AMilliseconds) {
  FImpl->FTotalTimeout = AMilliseconds;
}
int THttpClient::TotalTimeout() const {
  return FImpl->FTotalTimeout;
}
void THttpClient::SetMaxBodySize(qint64 ABytes) {
  FImpl->FMaxBodySize = ABytes;
}
qint64 THttpClient::MaxBodySize() const {
  return FImpl->FMaxBodySize;
}
bool THttpClient::LimitReached() const {
  return FImpl->FLimitReached;
}
void THttpClient::SetSecureProtocols(THttpSecureProtocols AProtocols) {
  FImpl->FProtocols = AProtocols;
}
THttpSecureProtocols THttpClient::SecureProtocols() const {
  return FImpl->FProtocols;
}
void THttpClient::SetRedirects(THttpRedirects ARedirects) {
  FImpl->FRedirects = ARedirects;
}
THttpRedirects THttpClient::Redirects() const {
  return FImpl->FRedirects;
}
void THttpClient::SetOnReceiveData(TReceiveDataEvent AEvent) {
  FImpl->FOnReceiveData = std::move(AEvent);
}
void THttpClient::SetAbortCheck(THttpAbortCheck ACheck) {
  FImpl->FAbortCheck = std::move(ACheck);
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
QString THttpClient::RefusedRedirect() const {
  return FImpl->FRefusedRedirect;
}

QString RefusedRedirectMessage(const QString& ATarget) {
  return QStringLiteral("The server sent Tilvane elsewhere (") + ATarget +
         QStringLiteral("); nothing was sent there.");
}

QString TotalTimeoutMessage(int AMilliseconds) {
  const QString Seconds =
      AMilliseconds == 1000 ? QStringLiteral("1 second")
                            : QString::number(AMilliseconds / 1000.0) + QStringLiteral(" seconds");
  return QStringLiteral("The server did not finish its answer within ") + Seconds + u'.';
}

QString BodyTooLargeMessage(qint64 ABytes) {
  constexpr qint64 KB = 1024;
  constexpr qint64 MB = 1024 * KB;
  QString Size;
  if (ABytes % MB == 0)
    Size = QString::number(ABytes / MB) + QStringLiteral(" MB");
  else if (ABytes % KB == 0)
    Size = QString::number(ABytes / KB) + QStringLiteral(" KB");
  else
    Size = QString::number(ABytes) + QStringLiteral(" bytes");
  return QStringLiteral("The server's answer is larger than ") + Size + u'.';
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
