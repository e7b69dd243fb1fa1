#include "forms/AboutDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"

#include <QEvent>
#include <QLabel>

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    using namespace vitrinex;

    setUpSkinnedWindow(this, QStringLiteral("AboutForm"), QStringLiteral("about..."), QSize(301, 180));
    setModal(true);
    buttons_ = new PictureButtons(this);

    AboutBgJPG = addBackground(this, QStringLiteral("AboutBgJPG"), QStringLiteral("updatebg.jpg"));

    LogoJPG = new TJPEGImage(this);
    LogoJPG->setObjectName(QStringLiteral("LogoJPG"));
    LogoJPG->setLoadingLayout(true);
    LogoJPG->setFileName(QStringLiteral("acape2s.jpg"));
    LogoJPG->setPicture(skinPicture(QStringLiteral("acape2s.jpg")));
    LogoJPG->setLoadingLayout(false);
    LogoJPG->move(18, 14);

    OKJPG = addPictureButton(this, *buttons_, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                             SkinList::ImageList2, 10, kOkPosition, QStringLiteral("click to close window"));
    buttons_->setAction(OKJPG, [this] { OKJPGMouseUp(); });

    // The strip under the button: the picture already carries the product name and version.
    LabelStyle small;
    small.pointSize = 7;
    small.color = kSkinWhite;
    small.alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    Label2 = addLabel(this, QStringLiteral("Label2"),
                      QStringLiteral("\u00A9 Quillory \u00B7 the action figure collector's showcase"),
                      QRect(0, 160, 301, 18), small);

    buttons_->attachBackground(AboutBgJPG);
    buttons_->attachBackground(LogoJPG);
    buttons_->attachBackground(Label2);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::OKJPGMouseUp() {
    close();
}

void TAboutForm::repaintPictures() {
    buttons_->repaintButtons();
    OKJPG->move(kOkPosition);
    AboutBgJPG->update();
    LogoJPG->update();
    OKJPG->update();
}

void TAboutForm::FormActivate() {
    repaintPictures();
}

void TAboutForm::FormShow() {
    vitrinex::centerOnScreen(this);
    repaintPictures();
}

bool TAboutForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(event);
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}
