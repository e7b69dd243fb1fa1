#include "forms/UpdateTypeDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "sound/Sound.h"

#include <QLabel>
#include <QRadioButton>

using namespace vitrinex;

namespace {

// A choice not taken: darker than the skin's green, still 5:1 on black.
const QColor kChoiceGreen{0, 144, 0};

} // namespace

TUpdateTypeForm::TUpdateTypeForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setUpSkinnedWindow(this, QStringLiteral("UpdateTypeForm"), QStringLiteral("update type"),
                       QSize(299, 180));
    setModal(true);
    buttons_ = new PictureButtons(this);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("updatebg.jpg"));

    LabelStyle style;
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    style.wordWrap = true;
    Label1 =
        addLabel(this, QStringLiteral("Label1"),
                 QStringLiteral("to correctly update your collection, choose the collection type from the "
                                "choices below."),
                 QRect(27, 24, 245, 44), style);

    auto choice = [this](const char* name, const QString& caption, int top) {
        auto* b = new QRadioButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(skinFont(10));
        b->move(77, top);
        b->adjustSize();
        return b;
    };
    SWRB = choice("SWRB", QStringLiteral("Kenner Star Wars POTF"), 70);
    HWRB = choice("HWRB", QStringLiteral("Mattel Hot Wheels"), 94);
    connect(SWRB, &QRadioButton::clicked, this, &TUpdateTypeForm::SWRBClick);
    connect(HWRB, &QRadioButton::clicked, this, &TUpdateTypeForm::HWRBClick);

    OKJPG = addPictureButton(this, *buttons_, QStringLiteral("OKJPG"), QStringLiteral("OkOff.jpg"),
                             SkinList::ImageList2, 10, QPoint(68, 124),
                             QStringLiteral("click to update collection"));
    CancelJPG =
        addPictureButton(this, *buttons_, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, QPoint(156, 124), QStringLiteral("click to close window"));
    buttons_->setAction(OKJPG, [this] { OKJPGMouseUp(); });
    buttons_->setAction(CancelJPG, [this] { CancelJPGMouseUp(); });
    buttons_->attachBackground(JPEGImage1);
    buttons_->attachBackground(Label1);
}

TUpdateTypeForm::~TUpdateTypeForm() = default;

void TUpdateTypeForm::showEvent(QShowEvent* event) {
    chosen_.clear();
    for (QRadioButton* b : {SWRB, HWRB}) {
        // Both unchecked: exclusive buttons only let go of their check one at a time.
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
    colourChoices();
    QDialog::showEvent(event);
}

void TUpdateTypeForm::colourChoices() {
    for (QRadioButton* b : {SWRB, HWRB}) {
        QPalette p = b->palette();
        p.setColor(QPalette::WindowText, b->isChecked() ? kSkinWhite : kChoiceGreen);
        b->setPalette(p);
    }
}

void TUpdateTypeForm::SWRBClick() {
    colourChoices();
}

void TUpdateTypeForm::HWRBClick() {
    colourChoices();
}

void TUpdateTypeForm::OKJPGMouseUp() {
    if (!SWRB->isChecked() && !HWRB->isChecked()) return;
    chosen_ = SWRB->isChecked() ? "SW" : "HW";
    Play(QStringLiteral("v10bp.qys"));
    accept();
}

void TUpdateTypeForm::CancelJPGMouseUp() {
    reject();
}
