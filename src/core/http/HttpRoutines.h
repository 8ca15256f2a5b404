#pragma once

#include "core/http/HttpClient.h"

#include <QString>

#include <atomic>

namespace tilvane {

class IPromptService;

// The limits of a page fetch. A player waits for it: a server that never
// finishes its answer, or sends one without end, must not hold the wait or
// fill the memory. Tests shorten them.
struct THttpGetLimits {
  int ConnectionTimeout = 500;             // ms, per attempt
  int TotalTimeout = 30000;                // ms, per attempt; reaching it ends the attempts
  qint64 MaxBodySize = 64LL * 1024 * 1024; // bytes; reaching it ends the attempts
};

// Fetches AURL with a fresh client and returns the body as text, whatever the
// status code. Up to three attempts, 250 ms apart; raises EAppError with the
// last transport error after the third failure. A total time-out or a body
// larger than the cap raises at once (TotalTimeoutMessage,
// BodyTooLargeMessage): another attempt would only reach it again.
// Shows nothing; any thread. ARedirects as THttpClient::SetRedirects: a URL
// that carries a login follows redirects only to where it came from.
// When ACancelled turns true, the request and the attempts end within about
// 100 ms and the result is empty; the caller tells a cancel by its flag.
QString HttpGet(const QString& AURL, THttpRedirects ARedirects = THttpRedirects::Any,
                const THttpGetLimits& ALimits = {}, const std::atomic_bool* ACancelled = nullptr);

// Downloads AURL into AFileName with a fresh client (connection time-out 10 s).
// AFileName is replaced in one step, and only by the whole body of an answer
// with status 200; until then, and after any failure, it stays as it was. A
// transport failure is tried up to three times, 250 ms apart; an answer with
// another status ends at once. On failure shows "Unable to download: " + URL +
// CR LF + "Error: " + message as an error box through APrompts and returns
// false. UI thread (it may show a message).
bool HttpGetFile(const QString& AURL, const QString& AFileName, IPromptService& APrompts);

// HttpGetFile without a message, for a worker: raises EAppError with the
// last failure's message instead. When ACancelled turns true the download
// ends within about 100 ms, AFileName stays as it was, and it returns false;
// true when the file was replaced.
bool DownloadHttpFile(const QString& AURL, const QString& AFileName,
                      const std::atomic_bool* ACancelled = nullptr);

} // namespace tilvane
