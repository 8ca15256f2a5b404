#include "gui/logviewer/SearchFM.h"

#include "gui/logviewer/TextSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tilvane {

namespace {

template <typename T> T* Named(T* AWidget, const char* AName) {
  AWidget->setObjectName(QLatin1String(AName));
  return AWidget;
}

QGroupBox* Group(const QString& ATitle, QWidget* AFirst, QWidget* ASecond,
                 QWidget* AThird = nullptr) {
  auto* box = new QGroupBox(ATitle);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(AFirst);
  layout->addWidget(ASecond);
  if (AThird)
    layout->addWidget(AThird);
  return box;
}

} // namespace

TfmSearch::TfmSearch(QWidget* AOwner, QPlainTextEdit* AEditor) : QDialog(AOwner), FEditor(AEditor) {
  setObjectName(QStringLiteral("fmSearch"));
  setWindowTitle(QStringLiteral("Search Text"));
  setModal(false);

  cbFind = Named(new QComboBox, "cbFind");
  cbFind->setEditable(true);
  cbFind->setInsertPolicy(QComboBox::NoInsert);
  auto* lblFind = new QLabel(QStringLiteral("Find"));
  lblFind->setBuddy(cbFind);

  chkCaseSensitive = Named(new QCheckBox(QStringLiteral("&Case sensitive")), "chkCaseSensitive");
  chkWholeWordOnly = Named(new QCheckBox(QStringLiteral("&Whole words only")), "chkWholeWordOnly");
  chkRegularExpresions =
      Named(new QCheckBox(QStringLiteral("Regular e&xpresions")), "chkRegularExpresions");
  rbFoward = Named(new QRadioButton(QStringLiteral("Forwar&d")), "rbFoward");
  rbBackward = Named(new QRadioButton(QStringLiteral("&Backward")), "rbBackward");
  rbGlobal = Named(new QRadioButton(QStringLiteral("&Global")), "rbGlobal");
  rbSelectedText = Named(new QRadioButton(QStringLiteral("&Selected Text")), "rbSelectedText");
  rbFromCursor = Named(new QRadioButton(QStringLiteral("&From cursor")), "rbFromCursor");
  rbEntireScope = Named(new QRadioButton(QStringLiteral("&Entire scope")), "rbEntireScope");
  rbFoward->setChecked(true);
  rbGlobal->setChecked(true);
  rbFromCursor->setChecked(true);

  btnFindNext = Named(new QPushButton(QStringLiteral("Find Next")), "btnFindNext");
  btnFindNext->setDefault(true);
  btnClose = Named(new QPushButton(QStringLiteral("Close")), "btnClose");
  barStatus = Named(new QStatusBar, "barStatus");
  barStatus->setSizeGripEnabled(false);

  auto* findRow = new QHBoxLayout;
  findRow->addWidget(lblFind);
  findRow->addWidget(cbFind, 1);
  auto* groups = new QGridLayout;
  groups->addWidget(
      Group(QStringLiteral("Options"), chkCaseSensitive, chkWholeWordOnly, chkRegularExpresions), 0,
      0);
  groups->addWidget(Group(QStringLiteral("Direction"), rbFoward, rbBackward), 0, 1);
  groups->addWidget(Group(QStringLiteral("Scope"), rbGlobal, rbSelectedText), 1, 0);
  groups->addWidget(Group(QStringLiteral("Origin"), rbFromCursor, rbEntireScope), 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnFindNext);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(findRow);
  layout->addLayout(groups);
  layout->addLayout(buttons);
  layout->addWidget(barStatus);

  connect(btnFindNext, &QPushButton::clicked, this, &TfmSearch::btnFindNextClick);
  connect(btnClose, &QPushButton::clicked, this, &QDialog::hide);
  connect(rbEntireScope, &QRadioButton::toggled, this, [this] { FRestartScope = true; });
  connect(cbFind, &QComboBox::editTextChanged, this, [this] { FRestartScope = true; });

  if (AOwner) {
    adjustSize();
    move(AOwner->frameGeometry().center() - rect().center());
  }
}

void TfmSearch::btnFindNextClick() {
  TTextSearchOptions options;
  options.Text = cbFind->currentText();
  options.MatchCase = chkCaseSensitive->isChecked();
  options.WholeWord = chkWholeWordOnly->isChecked();
  options.RegularExpression = chkRegularExpresions->isChecked();
  options.Backward = rbBackward->isChecked();
  options.SelectedOnly = rbSelectedText->isChecked();
  options.EntireScope = rbEntireScope->isChecked() && FRestartScope;

  QTextCursor caret = FEditor->textCursor();
  const bool ownMatch =
      caret.selectionStart() == FLastMatchStart && caret.selectionEnd() == FLastMatchEnd;
  if (!ownMatch) {
    // The user chose a new selection: that is the scope from now on.
    FScopeStart = caret.selectionStart();
    FScopeEnd = caret.selectionEnd();
    // A fresh selection is searched from its own start (its end, backwards).
    options.EntireScope = options.EntireScope || options.SelectedOnly;
  }
  const QTextCursor match = FindText(*FEditor->document(), caret, options, FScopeStart, FScopeEnd);
  FRestartScope = false;
  if (!match.isNull()) {
    FEditor->setTextCursor(match);
    FEditor->ensureCursorVisible();
    FLastMatchStart = match.selectionStart();
    FLastMatchEnd = match.selectionEnd();
    barStatus->clearMessage();
    return;
  }
  QApplication::beep();
  barStatus->showMessage(QStringLiteral("Find: Can't the text \"") + options.Text +
                         QLatin1Char('"'));
  caret.setPosition(options.Backward ? caret.selectionStart() : caret.selectionEnd());
  FEditor->setTextCursor(caret);
  FLastMatchStart = FLastMatchEnd = -1;
}

} // namespace tilvane
