#pragma once

#include <QString>

namespace tilvane {

class IPromptService;

// Fetches AURL with a fresh client (connection time-out 500 ms) and returns the
// body as text, whatever the status code. Up to three attempts, 250 ms apart;
// raises EAppError with the last transport error after the third failure.
// Shows nothing; any thread.
QString HttpGet(const QString& AURL);

// Downloads AURL into AFileName (created, or emptied when it exists, before the
// first attempt) with a fresh client (connection time-out 10 s). Up to three
// attempts, 250 ms apart; each attempt starts the file afresh. True when a
// response arrived, whatever its status code. After the third failure shows
// "Unable to download: " + URL + CR LF + "Error: " + message as an error box
// through APrompts and returns false; the file stays on disk. Raises EAppError
// when the file cannot be created. UI thread (it may show a message).
bool HttpGetFile(const QString& AURL, const QString& AFileName, IPromptService& APrompts);

} // namespace tilvane
