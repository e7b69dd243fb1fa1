#include "forms/ImportDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "sound/Sound.h"

#include <QLabel>

using namespace vitrinex;

TImportForm::TImportForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setUpSkinnedWindow(this, QStringLiteral("ImportForm"), QStringLiteral("import csv"), QSize(249, 149));
    setModal(true);
    buttons_ = new PictureButtons(this);
    DialogBGJPG = addBackground(this, QStringLiteral("DialogBGJPG"), QStringLiteral("oldbg.jpg"));
    LabelStyle style;
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    style.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"), QString(), QRect(12, 10, 225, 90), style);
    AddJPG = addPictureButton(this, *buttons_, QStringLiteral("AddJPG"), QStringLiteral("addoff.jpg"),
                              SkinList::ImageList2, 0, QPoint(8, 108),
                              QStringLiteral("click to add only the other rows"));
    EditJPG = addPictureButton(this, *buttons_, QStringLiteral("EditJPG"), QStringLiteral("editoff.jpg"),
                               SkinList::ImageList2, 6, QPoint(87, 108),
                               QStringLiteral("click to update those items from the file"));
    CancelJPG = addPictureButton(this, *buttons_, QStringLiteral("CancelJPG"),
                                 QStringLiteral("canceloff.jpg"), SkinList::ImageList2, 2, QPoint(166, 108),
                                 QStringLiteral("click to import nothing"));
    buttons_->setAction(AddJPG, [this] { AddJPGMouseUp(); });
    buttons_->setAction(EditJPG, [this] { EditJPGMouseUp(); });
    buttons_->setAction(CancelJPG, [this] { CancelJPGMouseUp(); });
    buttons_->attachBackground(DialogBGJPG);
    buttons_->attachBackground(Label1);
}

TImportForm::~TImportForm() = default;

std::optional<ExistingRows> TImportForm::Ask(const QString& question) {
    Label1->setText(question);
    choice_.reset();
    exec();
    return choice_;
}

void TImportForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnScreen(this);
}

void TImportForm::AddJPGMouseUp() {
    Play(QString::fromLatin1(kSoundClick));
    choice_ = ExistingRows::Skip;
    accept();
}

void TImportForm::EditJPGMouseUp() {
    Play(QString::fromLatin1(kSoundClick));
    choice_ = ExistingRows::Update;
    accept();
}

void TImportForm::CancelJPGMouseUp() {
    reject();
}
