#include "forms/FindDialog.h"

#include "controls/PictureControl.h"
#include "forms/MessageDialog.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using namespace vitrinex;

TFindForm::TFindForm(const CollectionSession& collection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      collection_(collection), Buttons(this) {
    setUpSkinnedWindow(this, QStringLiteral("FindForm"), QStringLiteral("find"), QSize(299, 179));
    setModal(true);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("updatebg.jpg"));
    LabelStyle style;
    style.bold = true;
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    // One line: a longer text is cut at the label's edges.
    Label1 = addLabel(this, QStringLiteral("Label1"), ItemSearch::kPrompt, QRect(29, 24, 240, 41), style);

    FindEDT = new QLineEdit(this);
    FindEDT->setObjectName(QStringLiteral("FindEDT"));
    FindEDT->setGeometry(25, 72, 249, 24);
    FindEDT->setMaxLength(32767);
    styleInputField(FindEDT);
    FindEDT->installEventFilter(this);
    connect(FindEDT, &QLineEdit::textChanged, this, [this] { search_.FindStart = 0; });

    OkBtn = addPictureButton(this, Buttons, QStringLiteral("OkBtn"), QStringLiteral("okoff.jpg"),
                             SkinList::ImageList2, 10, {56, 120}, QStringLiteral("click to find text"));
    CancelBtn =
        addPictureButton(this, Buttons, QStringLiteral("CancelBtn"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, {168, 120}, QStringLiteral("click to close window"));
    Buttons.setReactCondition(OkBtn, [this] { return !FindEDT->text().isEmpty(); });
    Buttons.setAction(OkBtn, [this] { OkBtnClick(); });
    Buttons.setAction(CancelBtn, [this] { CancelBtnClick(); });
    Buttons.attachBackground(JPEGImage1);
    Buttons.attachBackground(Label1);
}

TFindForm::~TFindForm() = default;

void TFindForm::ShowBeside(QPoint mainWindowPos) {
    move(mainWindowPos + QPoint(100, 0));
    exec();
}

void TFindForm::OkBtnClick() {
    const QString text = FindEDT->text();
    if (text.isEmpty()) return;
    // No name holds such a character: the search is refused rather than searching for "?".
    if (refuseForeignCharacters({{QStringLiteral("the text to find"), text}})) return;
    const int row = search_.Search(collection_.collection().itemList(), text);
    Label1->setText(search_.Label);
    if (row >= 0) emit found(row);
}

void TFindForm::CancelBtnClick() {
    reject();
}

void TFindForm::done(int result) {
    // However the dialog closes, the prompt comes back; the text and FindStart stay.
    search_.Label = ItemSearch::kPrompt;
    Label1->setText(search_.Label);
    enterDown_ = false;
    QDialog::done(result);
}

void TFindForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        // Typing replaces the last search text.
        FindEDT->setFocus();
        FindEDT->selectAll();
    }
    QDialog::changeEvent(event);
}

bool TFindForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FindEDT && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!key->isAutoRepeat()) {
                if (event->type() == QEvent::KeyPress) {
                    enterDown_ = Buttons.enterPressed(OkBtn);
                } else if (enterDown_) {
                    enterDown_ = false;
                    Buttons.enterReleased(OkBtn);
                }
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
