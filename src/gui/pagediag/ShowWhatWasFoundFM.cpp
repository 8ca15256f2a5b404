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

  FMmoPage = new QPlainTextEdit(this);
  FMmoPage->setObjectName(QStringLiteral("mmoPage"));
  FMmoPage->setReadOnly(true);
  FMmoPage->setLineWrapMode(QPlainTextEdit::NoWrap);
  FMmoPage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FMmoPage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

  FPanel1 = new QWidget(this);
  FPanel1->setObjectName(QStringLiteral("Panel1"));
  FPanel1->setFixedHeight(41);

  FBtnSave = new QPushButton(QStringLiteral("Save To File"), FPanel1);
  FBtnSave->setObjectName(QStringLiteral("btnSave"));
  FBtnSave->setGeometry(8, 8, 97, 25);

  FBtnOk = new QPushButton(QStringLiteral("Ok"), FPanel1);
  FBtnOk->setObjectName(QStringLiteral("btnOk"));
  FBtnOk->setGeometry(113, 8, 75, 25);

  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->setSpacing(0);
  Layout->addWidget(FMmoPage, 1);
  Layout->addWidget(FPanel1);

  connect(FBtnSave, &QPushButton::clicked, this, &TfmShowWhatWasFound::btnSaveClick);
  connect(FBtnOk, &QPushButton::clicked, this, &TfmShowWhatWasFound::btnOkClick);
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
  FMmoPage->setPlainText(Text);
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
