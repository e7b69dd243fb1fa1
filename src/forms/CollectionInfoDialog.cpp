#include "forms/CollectionInfoDialog.h"

#include "controls/MaskedEditField.h"
#include "controls/PictureControl.h"
#include "forms/MessageDialog.h"
#include "forms/SkinnedWindow.h"
#include "sound/Sound.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

using namespace vitrinex;

namespace {
const QString kCreateCaption = QStringLiteral("new collection");
const QString kEditCaption = QStringLiteral("edit collection info");
const QString kCreateHint = QStringLiteral("click to create collection");
const QString kSaveHint = QStringLiteral("click to save changes");
constexpr int kNameLength = 30;
constexpr int kBrandLength = 20;

QLineEdit* makeEdit(QWidget* parent, const QString& name, QPoint pos, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    edit->setGeometry(QRect(pos, QSize(150, 22)));
    styleInputField(edit);
    return edit;
}
} // namespace

TNewUForm::TNewUForm(QWidget* parent) : QDialog(parent), Buttons(this) {
    setUpSkinnedWindow(this, QStringLiteral("NewUForm"), kCreateCaption, QSize(293, 174));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("newbg2.jpg"));
    Buttons.attachBackground(JPEGImage1);
    Label1 = addLabel(this, QStringLiteral("Label1"), QStringLiteral("collection name:"), QRect(25, 28, 0, 0),
                      {10, kSkinGreen});
    Label2 = addLabel(this, QStringLiteral("Label2"), QStringLiteral("brand:"), QRect(78, 57, 0, 0),
                      {10, kSkinGreen});
    Label3 = addLabel(this, QStringLiteral("Label3"), QStringLiteral("year:"), QRect(85, 86, 0, 0),
                      {10, kSkinGreen});
    for (QLabel* l : {Label1, Label2, Label3})
        Buttons.attachBackground(l);

    CollectNameEDT = makeEdit(this, QStringLiteral("CollectNameEDT"), {120, 24}, kNameLength);
    BrandEDT = makeEdit(this, QStringLiteral("BrandEDT"), {120, 53}, kBrandLength);
    YearEDT = new TMaskEdit(MaskKind::CollectionYear, this);
    YearEDT->setObjectName(QStringLiteral("YearEDT"));
    YearEDT->setGeometry(QRect(120, 82, 80, 22));
    styleInputField(YearEDT);

    OKJPG = addPictureButton(this, Buttons, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                             SkinList::ImageList2, 10, {65, 124}, kCreateHint);
    CancelJPG =
        addPictureButton(this, Buttons, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, {153, 124}, QStringLiteral("click to close window"));
    Buttons.setReactCondition(OKJPG, [this] { return Ready(); });
    Buttons.setAction(OKJPG, [this] { OKJPGClick(); });
    Buttons.setAction(CancelJPG, [this] { CancelJPGClick(); });

    for (QWidget* field : std::initializer_list<QWidget*>{CollectNameEDT, BrandEDT, YearEDT})
        field->installEventFilter(this);
    setTabOrder(CollectNameEDT, BrandEDT);
    setTabOrder(BrandEDT, YearEDT);
}

TNewUForm::~TNewUForm() = default;

bool TNewUForm::Ready() const {
    return !CollectNameEDT->text().isEmpty() && !BrandEDT->text().isEmpty() &&
           YearEDT->text() != QStringLiteral("    -    ");
}

void TNewUForm::ShowCreate() {
    editMode_ = false;
    setWindowTitle(kCreateCaption);
    PictureButtons::setHint(OKJPG, kCreateHint);
    centerOnScreen(this);
    CollectNameEDT->setFocus();
    exec();
}

void TNewUForm::ShowEdit(const QString& name, const QString& brand, const QString& year) {
    editMode_ = true;
    setWindowTitle(kEditCaption);
    PictureButtons::setHint(OKJPG, kSaveHint);
    // A collection made elsewhere may carry a longer name than the dialog takes when typing: show it
    // whole, so that saving the information never cuts it short.
    CollectNameEDT->setMaxLength(std::max<int>(kNameLength, name.size()));
    BrandEDT->setMaxLength(std::max<int>(kBrandLength, brand.size()));
    CollectNameEDT->setText(name);
    BrandEDT->setText(brand);
    YearEDT->setText(year);
    centerOnScreen(this);
    CollectNameEDT->setFocus();
    exec();
}

void TNewUForm::OKJPGClick() {
    if (!Ready()) return;
    const QString name = CollectNameEDT->text();
    const QString brand = BrandEDT->text();
    const QString year = YearEDT->text();
    if (refuseForeignCharacters(
            {{QStringLiteral("the collection name"), name}, {QStringLiteral("the brand"), brand}}))
        return;
    entryTaken_ = false;
    if (editMode_) {
        editMode_ = false;
        emit changeRequested(name, brand, year);
        if (!entryTaken_) editMode_ = true; // the dialog stays open on the values the user typed
    } else {
        emit createRequested(name, brand, year);
        if (entryTaken_) Play(kSoundOpen);
    }
}

void TNewUForm::takeEntry() {
    entryTaken_ = true;
    clearFields();
    accept();
}

void TNewUForm::CancelJPGClick() {
    clearFields();
    reject();
}

void TNewUForm::clearFields() {
    CollectNameEDT->clear();
    BrandEDT->clear();
    CollectNameEDT->setMaxLength(kNameLength);
    BrandEDT->setMaxLength(kBrandLength);
    YearEDT->setText(QString());
}

void TNewUForm::done(int result) {
    // However the dialog closes, it is in create mode afterwards.
    editMode_ = false;
    setWindowTitle(kCreateCaption);
    PictureButtons::setHint(OKJPG, kCreateHint);
    if (result == QDialog::Rejected) clearFields();
    QDialog::done(result);
}

void TNewUForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && editMode_)
        PictureButtons::setHint(OKJPG, kSaveHint);
    QDialog::changeEvent(event);
}

bool TNewUForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Enter in a field works the OK button while the dialog is ready.
            if (!key->isAutoRepeat()) {
                if (event->type() == QEvent::KeyPress) {
                    enterDown_ = Ready() && Buttons.enterPressed(OKJPG);
                } else if (enterDown_) {
                    enterDown_ = false;
                    Buttons.enterReleased(OKJPG);
                }
            }
            return true; // never the dialog's default button
        }
    }
    return QDialog::eventFilter(watched, event);
}
