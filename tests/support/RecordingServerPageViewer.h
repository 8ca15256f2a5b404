#pragma once

#include "core/server/ServerPageViewer.h"

#include <QList>
#include <QString>

namespace tilvane::test {

// Records the pages the data module would show instead of showing them.
class RecordingServerPageViewer : public IServerPageViewer {
public:
  struct Shown {
    QString Page;
    QString SaveFolder;
  };

  void ShowUnknownModPage(const QString& APage, const QString& ASaveFolder) override {
    UnknownPages.append({APage, ASaveFolder});
  }

  QList<Shown> UnknownPages;
};

} // namespace tilvane::test
