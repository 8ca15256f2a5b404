#pragma once

#include <QByteArray>
#include <QFlags>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

namespace tilvane {

// The secure protocols a client may negotiate. None selected leaves the choice
// to the TLS library (its defaults, TLS 1.3 included).
enum class THttpSecureProtocol : unsigned {
  Tls10 = 0x1,
  Tls11 = 0x2,
  Tls12 = 0x4,
};
Q_DECLARE_FLAGS(THttpSecureProtocols, THttpSecureProtocol)
Q_DECLARE_OPERATORS_FOR_FLAGS(THttpSecureProtocols)

// Called on the requesting thread: once when a body begins (AReadCount 0) and
// after each received block. AContentLength is the length the server announced,
// -1 when it announced none. Setting AAbort stops receiving; the GET then
// returns normally with what has arrived so far (no error is raised).
// The call may block (a paused download waits inside it); the stall time-out
// does not count the time spent in here. An exception raised by the event is
// raised again by the GET after the transfer has been stopped; the client stays
// usable for the next request.
using TReceiveDataEvent =
    std::function<void(qint64 AContentLength, qint64 AReadCount, bool& AAbort)>;

// Asked on the requesting thread at least every 100 ms while a request is under
// way, whatever it waits for: name resolution, the connection, the first byte
// of a silent server, the next block of the body. Returning true stops the
// request the way the receive-data event's abort flag does: the GET returns
// normally with what has arrived so far (StatusCode() 0 when no response
// arrived). Lets a cancel end a request at once instead of after the
// connection or stall time-out. Not asked while the receive-data event runs.
// An exception raised by the check comes out of the GET, the transfer stopped.
using THttpAbortCheck = std::function<bool()>;

// Which redirects a client follows.
enum class THttpRedirects {
  Any,
  // Only to the same host and port, over the same scheme or from http to
  // https (which may change the port). For requests whose URL carries a
  // secret: each hop takes the whole URL along, query included. A redirect
  // elsewhere ends the request before anything is sent there: the GET raises
  // EAppError with RefusedRedirectMessage of the target.
  SameOrigin,
};

// A blocking HTTP/HTTPS client. One object per call or per window; nothing is
// shared between objects. Not thread-safe: one request at a time, on the thread
// that calls Get*.
//
// Any HTTP response (404, 500, ...) is a normal result. Transport failures (name
// resolution, refused connection, time-outs, TLS) raise EAppError with the
// transfer library's message. Redirects are followed, by default anywhere (see
// SetRedirects). Certificates are checked.
// The client sets no request header, cookie or user agent of its own.
class THttpClient {
public:
  THttpClient();
  ~THttpClient();

  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // Time allowed to open the connection (name resolution included), in
  // milliseconds. 0 or less: the transfer library's default. Default 60000.
  void SetConnectionTimeout(int AMilliseconds);
  int ConnectionTimeout() const;
  // How long the answer may stall: the request fails when no byte arrives for
  // this long (a long download that keeps flowing is never cut off). Checked
  // about every 100 ms. 0 or less: no limit. Default 60000.
  void SetResponseTimeout(int AMilliseconds);
  int ResponseTimeout() const;
  // How long the whole request may take, from the first name lookup to the
  // last byte, however steadily the answer flows: a server that sends a byte
  // now and then never trips the stall limit. Checked about every 100 ms; the
  // request then fails with TotalTimeoutMessage. 0 or less (the default): no
  // limit.
  void SetTotalTimeout(int AMilliseconds);
  int TotalTimeout() const;
  // The most bytes the body may have: the request fails with
  // BodyTooLargeMessage before a byte beyond it is taken, so a page without
  // end cannot fill the memory. 0 or less (the default): no limit.
  void SetMaxBodySize(qint64 ABytes);
  qint64 MaxBodySize() const;
  // True when the last request failed by the total time-out or the size cap:
  // a limit that another attempt would only reach again.
  bool LimitReached() const;

  void SetSecureProtocols(THttpSecureProtocols AProtocols);
  THttpSecureProtocols SecureProtocols() const;

  void SetRedirects(THttpRedirects ARedirects);
  THttpRedirects Redirects() const;

  void SetOnReceiveData(TReceiveDataEvent AEvent);
  void SetAbortCheck(THttpAbortCheck ACheck);

  // The body decoded by the charset of the response's Content-Type, UTF-8 when
  // it names none or one that is not known.
  QString GetText(const QString& AURL);
  // The body written to AStream from its current position (never rewound).
  // Raises when the stream refuses a write.
  void GetToStream(const QString& AURL, QIODevice& AStream);
  // The raw body.
  QByteArray GetBytes(const QString& AURL);

  // Of the last response (after redirects); 0 and empty before the first one
  // or when the last request got no response.
  int StatusCode() const;
  // The reason phrase of the status line ("OK", "Not Found"); empty when the
  // server sent none (HTTP/2).
  QString StatusText() const;
  // The Content-Type header of the last response; empty when none.
  QString ContentType() const;
  // Scheme, host and port ("http://localhost:8080") of the redirect target the
  // last request refused; empty when it refused none. Never the path or the
  // query, which would repeat the secret.
  QString RefusedRedirect() const;

private:
  class TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// "The server sent Tilvane elsewhere (" + ATarget + "); nothing was sent there."
QString RefusedRedirectMessage(const QString& ATarget);
// "The server did not finish its answer within 30 seconds." (in seconds,
// "0.5 seconds" for half a second, "1 second" for one).
QString TotalTimeoutMessage(int AMilliseconds);
// "The server's answer is larger than 64 MB." (MB and KB of 1024; bytes
// when the cap is no whole KB).
QString BodyTooLargeMessage(qint64 ABytes);

// The charset named in a Content-Type value ("text/html; charset=ISO-8859-1"),
// without quotes; empty when it names none.
QString CharsetOfContentType(const QString& AContentType);
// Decodes ABody by the charset of AContentType (UTF-8 when none or unknown).
QString DecodeHttpBody(const QByteArray& ABody, const QString& AContentType);

} // namespace tilvane
