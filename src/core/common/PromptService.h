#pragma once

#include <QList>
#include <QString>

namespace tilvane {

// What kind of box a message is shown in. Plain boxes have no icon.
enum class TMessageKind { Plain, Information, Warning, Error };

// A file type for the file dialogs, for example {"Mod Folder Button", "*.mfb"}.
struct TFileType {
  QString Name;
  QString Mask; // one or more masks separated by ';'
};

struct TFileDialogOptions {
  QString Title;              // empty: the dialog's own title
  QList<TFileType> FileTypes; // empty: all files
  QString DefaultExtension;   // without the dot, added when the user typed none
  QString InitialFolder;
  QString FileName;             // proposed file name
  bool OverwritePrompt = false; // save dialogs: ask before replacing a file
};

// Every message box, question and file dialog of the program goes through this
// interface, so that tests can answer questions and read the exact texts shown.
// Boxes are captioned with the program's title. Callers use it on the
// user-interface thread only.
class IPromptService {
public:
  virtual ~IPromptService() = default;

  virtual void ShowMessage(const QString& AText, TMessageKind AKind = TMessageKind::Plain) = 0;

  // A question box with Yes and No. True for Yes; No, Escape and closing the
  // box give false.
  virtual bool AskYesNo(const QString& AText, bool AYesIsDefault = true) = 0;

  // The chosen file's full path; empty when the user cancelled.
  virtual QString OpenFile(const TFileDialogOptions& AOptions) = 0;
  virtual QString SaveFile(const TFileDialogOptions& AOptions) = 0;
  // The chosen folder; empty when the user cancelled.
  virtual QString PickFolder(const QString& ATitle, const QString& AInitialFolder) = 0;
};

} // namespace tilvane
