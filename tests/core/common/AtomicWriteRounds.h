#pragma once

#include "core/common/IniFile.h"

namespace tilvane::test {

// The two contents the atomic-write fault test alternates between: different
// sizes, so that a stump of either shows.
inline void FillAtomicWriteRound(TIniDocument& doc, int variant) {
  doc.EraseSection(QStringLiteral("Data"));
  // Few long lines: the time of a round goes into writing, not into editing.
  const int keys = variant == 0 ? 30 : 50;
  const QString value = QString(1500, variant == 0 ? QLatin1Char('a') : QLatin1Char('b'));
  for (int i = 0; i < keys; ++i)
    doc.WriteString(QStringLiteral("Data"), QStringLiteral("Key%1").arg(i), value);
}

} // namespace tilvane::test
