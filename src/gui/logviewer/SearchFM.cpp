#include "gui/logviewer/SearchFM.h"

#include "gui/logviewer/TextSearch.h"

#include "ui_SearchFM.h"

#include <QApplication>
#include <QPlainTextEdit>

namespace tilvane {

TfmSearch::TfmSearch(QWidget* AOwner, QPlainTextEdit* AEditor)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmSearch>()), FEditor(AEditor) {
  FUi->setupUi(this);
  cbFind = FUi->cbFind;
  chkCaseSensitive = FUi->chkCaseSensitive;
  chkWholeWordOnly = FUi->chkWholeWordOnly;
  chkRegularExpresions = FUi->chkRegularExpresions;
  rbFoward = FUi->rbFoward;
  rbBackward = FUi->rbBackward;
  rbGlobal = FUi->rbGlobal;
  rbSelectedText = FUi->rbSelectedText;
  rbFromCursor = FUi->rbFromCursor;
  rbEntireScope = FUi->rbEntireScope;
  btnFindNext = FUi->btnFindNext;
  btnClose = FUi->btnClose;
  barStatus = FUi->barStatus;
  ConnectHandlers();

  if (AOwner) {
    adjustSize();
    move(AOwner->frameGeometry().center() - rect().center());
  }
}

TfmSearch::~TfmSearch() = default;

void TfmSearch::ConnectHandlers() {
  connect(FUi->btnFindNext, &QPushButton::clicked, this, &TfmSearch::btnFindNextClick);
  connect(FUi->btnClose, &QPushButton::clicked, this, &QDialog::hide);
  connect(FUi->rbEntireScope, &QRadioButton::toggled, this, [this] { FRestartScope = true; });
  connect(FUi->cbFind, &QComboBox::editTextChanged, this, [this] { FRestartScope = true; });
}

void TfmSearch::btnFindNextClick() {
  TTextSearchOptions Options;
  Options.Text = FUi->cbFind->currentText();
  Options.MatchCase = FUi->chkCaseSensitive->isChecked();
  Options.WholeWord = FUi->chkWholeWordOnly->isChecked();
  Options.RegularExpression = FUi->chkRegularExpresions->isChecked();
  Options.Backward = FUi->rbBackward->isChecked();
  Options.SelectedOnly = FUi->rbSelectedText->isChecked();
  Options.EntireScope = FUi->rbEntireScope->isChecked() && FRestartScope;

  QTextCursor Caret = FEditor->textCursor();
  const bool OwnMatch =
      Caret.selectionStart() == FLastMatchStart && Caret.selectionEnd() == FLastMatchEnd;
  if (!OwnMatch) {
    // The user chose a new selection: that is the scope from now on.
    FScopeStart = Caret.selectionStart();
    FScopeEnd = Caret.selectionEnd();
    // A fresh selection is searched from its own start (its end, backwards).
    Options.EntireScope = Options.EntireScope || Options.SelectedOnly;
  }
  const QTextCursor Match = FindText(*FEditor->document(), Caret, Options, FScopeStart, FScopeEnd);
  FRestartScope = false;
  if (!Match.isNull()) {
    FEditor->setTextCursor(Match);
    FEditor->ensureCursorVisible();
    FLastMatchStart = Match.selectionStart();
    FLastMatchEnd = Match.selectionEnd();
    FUi->barStatus->clearMessage();
    return;
  }
  QApplication::beep();
  FUi->barStatus->showMessage(QStringLiteral("Find: Can't the text \"") + Options.Text +
                              QLatin1Char('"'));
  Caret.setPosition(Options.Backward ? Caret.selectionStart() : Caret.selectionEnd());
  FEditor->setTextCursor(Caret);
  FLastMatchStart = FLastMatchEnd = -1;
}

} // namespace tilvane
