#include "gui/pagediag/UnknownModPageFM.h"

#include "core/server/ServerURL.h"
#include "gui/pagediag/ShowWhatWasFoundFM.h"

#include <QLabel>
#include <QPushButton>

namespace tilvane {

TfmUnknownModPage::TfmUnknownModPage(IPromptService& APrompts, QWidget* AParent)
    : QDialog(AParent), FPrompts(APrompts) {
  setObjectName(QStringLiteral("fmUnknownModPage"));
  setWindowTitle(QStringLiteral("Mod page not detected"));
  setFixedSize(467, 81);

  FLabel1 = new QLabel(UnknownModPageNotice(), this);
  FLabel1->setObjectName(QStringLiteral("Label1"));
  FLabel1->setGeometry(8, 8, 451, 30);
  FLabel1->setWordWrap(true);

  FBtnShow = new QPushButton(QStringLiteral("Show what was found"), this);
  FBtnShow->setObjectName(QStringLiteral("btnShow"));
  FBtnShow->setGeometry(8, 48, 161, 25);
  FBtnShow->setDefault(true);

  FBtnOk = new QPushButton(QStringLiteral("Ok"), this);
  FBtnOk->setObjectName(QStringLiteral("btnOk"));
  FBtnOk->setGeometry(384, 48, 75, 25);

  setTabOrder(FBtnShow, FBtnOk);
  connect(FBtnShow, &QPushButton::clicked, this, &TfmUnknownModPage::btnShowClick);
  connect(FBtnOk, &QPushButton::clicked, this, &TfmUnknownModPage::btnOkClick);
}

void TfmUnknownModPage::btnShowClick() {
  TfmShowWhatWasFound Form(FPrompts, this);
  Form.ModPage = ModPage;
  Form.SaveFolder = SaveFolder;
  Form.exec();
  accept();
}

void TfmUnknownModPage::btnOkClick() {
  accept();
}

} // namespace tilvane
