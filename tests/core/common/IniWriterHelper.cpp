// Saves one INI file over and over, alternating between two contents, until it
// is killed. The atomic-write test kills it at random moments.
#include "AtomicWriteRounds.h"

#include "core/common/IniFile.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <ini file>\n", argv[0]);
    return 2;
  }
  auto platform = tilvane::platform::CreateSystemPlatform();
  tilvane::TIniFile ini(QString::fromLocal8Bit(argv[1]), *platform);
  for (int round = 1;; ++round) {
    ini.Update([round](tilvane::TIniDocument& doc) {
      tilvane::test::FillAtomicWriteRound(doc, round % 2);
    });
    if (round == 1) {
      std::fputs("ready\n", stdout);
      std::fflush(stdout);
    }
  }
}
