#pragma once

#include "core/http/HttpClient.h"

#include <QString>

namespace tilvane {

class IPromptService;

// Fetches AURL with a fresh client (connection time-out 500 ms) and returns the
// body as text, whatever the status code. Up to three attempts, 250 ms apart;
// raises EAppError with the last transport error after the third failure.
// Shows nothing; any thread. ARedirects as THttpClient::SetRedirects: a URL
// that carries a login follows redirects only to where it came from.
QString HttpGet(const QString& AURL, THttpRedirects ARedirects = THttpRedirects::Any);

// Downloads AURL into AFileName with a fresh client (connection time-out 10 s).
// AFileName is replaced in one step, and only by the whole body of an answer
// with status 200; until then, and after any failure, it stays as it was. A
// transport failure is tried up to three times, 250 ms apart; an answer with
// another status ends at once. On failure shows "Unable to download: " + URL +
// CR LF + "Error: " + message as an error box through APrompts and returns
// false. UI thread (it may show a message).
bool HttpGetFile(const QString& AURL, const QString& AFileName, IPromptService& APrompts);

} // namespace tilvane
