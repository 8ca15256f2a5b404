#include "gui/pagediag/ShowWhatWasFoundFM.h"

#include "core/common/PromptService.h"
#include "core/server/ModPageFile.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace tilvane {

TfmShowWhatWasFound::TfmShowWhatWasFound(IPromptService& APrompts, QWidget* AParent)
    : QDialog(AParent), FPrompts(APrompts) {
  setObjectName(QStringLiteral("fmShowWhatWasFound"));
  setWindowTitle(QStringLiteral("Showing what was found"));
  setSizeGripEnabled(true);
  resize(653, 559);

  FmmoPage = new QPlainTextEdit(this);
  FmmoPage->setObjectName(QStringLiteral("mmoPage"));
  FmmoPage->setReadOnly(true);
  FmmoPage->setLineWrapMode(QPlainTextEdit::NoWrap);
  FmmoPage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FmmoPage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  FPanel1 = new QWidget(this);
  FPanel1->setObjectName(QStringLiteral("Panel1"));
  FPanel1->setFixedHeight(41);

  FbtnSave = new QPushButton(QStringLiteral("Save To File"), FPanel1);
  FbtnSave->setObjectName(QStringLiteral("btnSave"));
  FbtnSave->setGeometry(8, 8, 97, 25);

  FbtnOk = new QPushButton(QStringLiteral("Ok"), FPanel1);
  FbtnOk->setObjectName(QStringLiteral("btnOk"));
  FbtnOk->setGeometry(113, 8, 75, 25);

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(0);
  Layout->addWidget(FmmoPage, 1);
  Layout->addWidget(FPanel1);

  connect(FbtnSave, &QPushButton::clicked, this, &TfmShowWhatWasFound::btnSaveClick);
  connect(FbtnOk, &QPushButton::clicked, this, &TfmShowWhatWasFound::btnOkClick);
}

void TfmShowWhatWasFound::showEvent(QShowEvent* AEvent) {
  QDialog::showEvent(AEvent);
  if (!AEvent->spontaneous())
    FormShow();
}

void TfmShowWhatWasFound::FormShow() {
  // The text box splits lines at CR LF, CR or LF alike.
  QString Text = ModPage;
  Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  Text.replace(u'\r', u'\n');
  FmmoPage->setPlainText(Text);
}

void TfmShowWhatWasFound::btnSaveClick() {
  TFileDialogOptions Options;
  Options.FileTypes = {TFileType{QStringLiteral("html"), QStringLiteral("*.html")}};
  Options.DefaultExtension = QStringLiteral("html");
  Options.FileName = QStringLiteral("ModPage.html");
  Options.InitialFolder = SaveFolder;
  Options.OverwritePrompt = true;
  const QString FileName = FPrompts.SaveFile(Options);
  if (FileName.isEmpty())
    return;
  // The page as fetched, not the text box's lines.
  SaveModPageToFile(FileName, ModPage);
}

void TfmShowWhatWasFound::btnOkClick() {
  accept();
}

} // namespace tilvane
