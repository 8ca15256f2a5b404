#include "app/MainDM.h"
#include "app/TilvaneApplication.h"
#include "common/CommonUtilities.h"
#include "common/QtPromptService.h"
#include "logviewer/LogViewerInstance.h"
#include "platform/Platform.h"
#include "update/UnknownModPageViewer.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
  tilvane::TApplication app(argc, argv);
  tilvane::TApplication::setApplicationName(QStringLiteral("Tilvane"));
  tilvane::TApplication::setApplicationVersion(tilvane::GetBuildInfoAsString());

  std::unique_ptr<tilvane::platform::IPlatform> platform =
      tilvane::platform::CreateSystemPlatform();
  tilvane::QtPromptService prompts;
  // Until the crash report exists, an escaped error is shown as an error box.
  auto report = [&prompts](std::exception_ptr error) {
    prompts.ShowMessage(tilvane::TApplication::ExceptionMessage(error),
                        tilvane::TMessageKind::Error);
  };
  app.SetExceptionHandler(report);

  tilvane::TdmMain dmMain(*platform, prompts, report);
  tilvane::TUnknownModPageViewer pageViewer(prompts);
  dmMain.SetServerPageViewer(&pageViewer);

  // Stands in for the main window until it exists.
  QWidget window;
  window.setWindowTitle(QStringLiteral("Tilvane"));
  auto* layout = new QVBoxLayout(&window);
  auto* label = new QLabel(QStringLiteral("Tilvane %1\nSettings: %2")
                               .arg(tilvane::GetBuildInfoAsString(), dmMain.IniFileName()),
                           &window);
  layout->addWidget(label);
  // The log viewer works already: one entry per generation.
  for (const tilvane::TFSVersion FSVersion : tilvane::AllFSVersions) {
    auto* button = new QPushButton(
        QStringLiteral("Log viewer FS") + tilvane::FSVersionToNumberStr(FSVersion), &window);
    QObject::connect(button, &QPushButton::clicked, &window, [&dmMain, &window, FSVersion] {
      tilvane::ShowLogViewer(dmMain, FSVersion, &window);
    });
    layout->addWidget(button);
  }
  window.resize(480, 160);
  window.show();
  return app.exec();
}
