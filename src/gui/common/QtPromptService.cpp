#include "gui/common/QtPromptService.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace tilvane {

namespace {
QString Caption() {
  return QStringLiteral("Tilvane");
}

QString QtFilter(const QList<TFileType>& types) {
  QStringList parts;
  for (const TFileType& t : types) {
    QString masks = t.Mask;
    masks.replace(QLatin1Char(';'), QLatin1Char(' '));
    parts << t.Name + QStringLiteral(" (") + masks + QLatin1Char(')');
  }
  return parts.join(QStringLiteral(";;"));
}

QString InitialPath(const TFileDialogOptions& options) {
  if (options.FileName.isEmpty())
    return options.InitialFolder;
  if (options.InitialFolder.isEmpty())
    return options.FileName;
  return options.InitialFolder + QLatin1Char('/') + options.FileName;
}

QString WithDefaultExtension(QString path, const TFileDialogOptions& options) {
  if (!path.isEmpty() && !options.DefaultExtension.isEmpty() && QFileInfo(path).suffix().isEmpty())
    path += QLatin1Char('.') + options.DefaultExtension;
  return path;
}
} // namespace

void QtPromptService::ShowMessage(const QString& text, TMessageKind kind) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (kind) {
  case TMessageKind::Plain:
    break;
  case TMessageKind::Information:
    icon = QMessageBox::Information;
    break;
  case TMessageKind::Warning:
    icon = QMessageBox::Warning;
    break;
  case TMessageKind::Error:
    icon = QMessageBox::Critical;
    break;
  }
  QMessageBox box(icon, Caption(), text, QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool QtPromptService::AskYesNo(const QString& text, bool yesIsDefault) {
  QMessageBox box(QMessageBox::Question, Caption(), text, QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

QString QtPromptService::OpenFile(const TFileDialogOptions& options) {
  return QFileDialog::getOpenFileName(QApplication::activeWindow(), options.Title,
                                      InitialPath(options), QtFilter(options.FileTypes));
}

QString QtPromptService::SaveFile(const TFileDialogOptions& options) {
  QFileDialog::Options flags;
  if (!options.OverwritePrompt)
    flags |= QFileDialog::DontConfirmOverwrite;
  const QString path = QFileDialog::getSaveFileName(QApplication::activeWindow(), options.Title,
                                                    InitialPath(options),
                                                    QtFilter(options.FileTypes), nullptr, flags);
  return WithDefaultExtension(path, options);
}

QString QtPromptService::PickFolder(const QString& title, const QString& initialFolder) {
  return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, initialFolder);
}

} // namespace tilvane
