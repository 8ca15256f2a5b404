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

QString QtFilter(const QList<TFileType>& ATypes) {
  QStringList Parts;
  for (const TFileType& T : ATypes) {
    QString Masks = T.Mask;
    Masks.replace(QLatin1Char(';'), QLatin1Char(' '));
    Parts << T.Name + QStringLiteral(" (") + Masks + QLatin1Char(')');
  }
  return Parts.join(QStringLiteral(";;"));
}

QString InitialPath(const TFileDialogOptions& AOptions) {
  if (AOptions.FileName.isEmpty())
    return AOptions.InitialFolder;
  if (AOptions.InitialFolder.isEmpty())
    return AOptions.FileName;
  return AOptions.InitialFolder + QLatin1Char('/') + AOptions.FileName;
}

QString WithDefaultExtension(QString APath, const TFileDialogOptions& AOptions) {
  if (!APath.isEmpty() && !AOptions.DefaultExtension.isEmpty() &&
      QFileInfo(APath).suffix().isEmpty())
    APath += QLatin1Char('.') + AOptions.DefaultExtension;
  return APath;
}
} // namespace

void TQtPromptService::ShowMessage(const QString& AText, TMessageKind AKind) {
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  switch (AKind) {
  case TMessageKind::Plain:
    break;
  case TMessageKind::Information:
    Icon = QMessageBox::Information;
    break;
  case TMessageKind::Warning:
    Icon = QMessageBox::Warning;
    break;
  case TMessageKind::Error:
    Icon = QMessageBox::Critical;
    break;
  }
  QMessageBox Box(Icon, Caption(), AText, QMessageBox::Ok, QApplication::activeWindow());
  Box.exec();
}

bool TQtPromptService::AskYesNo(const QString& AText, bool AYesIsDefault) {
  QMessageBox Box(QMessageBox::Question, Caption(), AText, QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  Box.setDefaultButton(AYesIsDefault ? QMessageBox::Yes : QMessageBox::No);
  Box.setEscapeButton(QMessageBox::No);
  return Box.exec() == QMessageBox::Yes;
}

QString TQtPromptService::OpenFile(const TFileDialogOptions& AOptions) {
  return QFileDialog::getOpenFileName(QApplication::activeWindow(), AOptions.Title,
                                      InitialPath(AOptions), QtFilter(AOptions.FileTypes));
}

QString TQtPromptService::SaveFile(const TFileDialogOptions& AOptions) {
  QFileDialog::Options Flags;
  if (!AOptions.OverwritePrompt)
    Flags |= QFileDialog::DontConfirmOverwrite;
  const QString Path = QFileDialog::getSaveFileName(QApplication::activeWindow(), AOptions.Title,
                                                    InitialPath(AOptions),
                                                    QtFilter(AOptions.FileTypes), nullptr, Flags);
  return WithDefaultExtension(Path, AOptions);
}

QString TQtPromptService::PickFolder(const QString& ATitle, const QString& AInitialFolder) {
  return QFileDialog::getExistingDirectory(QApplication::activeWindow(), ATitle, AInitialFolder);
}

} // namespace tilvane
