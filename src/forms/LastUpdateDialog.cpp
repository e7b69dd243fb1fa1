#include "forms/LastUpdateDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "sound/Sound.h"

#include <QLabel>

using namespace vitrinex;

TLastUpdateForm::TLastUpdateForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setUpSkinnedWindow(this, QStringLiteral("LastUpdateForm"), QStringLiteral("update?"), QSize(249, 149));
    setModal(true);
    buttons_ = new PictureButtons(this);
    DialogBGJPG = addBackground(this, QStringLiteral("DialogBGJPG"), QStringLiteral("oldbg.jpg"));
    LabelStyle style;
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    style.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"), QString(), QRect(24, 20, 192, 65), style);
    OKJPG = addPictureButton(this, *buttons_, QStringLiteral("OKJPG"), QStringLiteral("OkOff.jpg"),
                             SkinList::ImageList2, 10, QPoint(44, 100),
                             QStringLiteral("click to update collection"));
    CancelJPG =
        addPictureButton(this, *buttons_, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, QPoint(132, 100), QStringLiteral("click to close window"));
    buttons_->setAction(OKJPG, [this] { OKJPGMouseUp(); });
    buttons_->setAction(CancelJPG, [this] { CancelJPGMouseUp(); });
    buttons_->attachBackground(DialogBGJPG);
    buttons_->attachBackground(Label1);
}

TLastUpdateForm::~TLastUpdateForm() = default;

void TLastUpdateForm::setQuestion(const QString& text) {
    Label1->setText(text);
}

void TLastUpdateForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}

void TLastUpdateForm::OKJPGMouseUp() {
    Play(QStringLiteral("v10bp.qys"));
    accept();
}

void TLastUpdateForm::CancelJPGMouseUp() {
    reject();
}
