#pragma once

#include <QByteArrayView>
#include <QString>

namespace tilvane {

// Text in Windows-1252, the ANSI code page of the game's players: older
// settings files, game logs and mod descriptions are written in it. Every
// byte is one character; the five bytes the code page leaves undefined become
// the control characters of the same value, as Windows itself converts them.
QString DecodeWindows1252(QByteArrayView ABytes);

} // namespace tilvane
