#include "forms/DeleteDialog.h"

#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"
#include "sound/Sound.h"

#include <QLabel>

using namespace vitrinex;

TDeleteForm::TDeleteForm(CollectionSession& collection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      collection_(collection), Buttons(this) {
    setUpSkinnedWindow(this, QStringLiteral("DeleteForm"), QStringLiteral("delete?"), QSize(250, 150));
    setModal(true);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("oldbg.jpg"));
    LabelStyle style;
    style.bold = true;
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    style.wordWrap = true;
    Label1 =
        addLabel(this, QStringLiteral("Label1"), QStringLiteral("are you sure you want to delete this item?"),
                 QRect(22, 28, 201, 61), style);
    DeleteJPG = addPictureButton(this, Buttons, QStringLiteral("DeleteJPG"), QStringLiteral("deleteoff.jpg"),
                                 SkinList::ImageList2, 4, {42, 100}, QStringLiteral("click to delete item"));
    CancelJPG =
        addPictureButton(this, Buttons, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, {134, 100}, QStringLiteral("click to close window"));
    Buttons.setAction(DeleteJPG, [this] { DeleteCurrentItem(); });
    Buttons.setAction(CancelJPG, [this] { CancelJPGClick(); });
    Buttons.attachBackground(JPEGImage1);
    Buttons.attachBackground(Label1);
}

TDeleteForm::~TDeleteForm() = default;

QString TDeleteForm::question() const {
    return Label1->text();
}

void TDeleteForm::ShowFor(const QString& itemName) {
    Label1->setText(QStringLiteral("are you sure you want to delete ") + itemName + QLatin1Char('?'));
    centerOnScreen(this);
    exec();
}

void TDeleteForm::DeleteCurrentItem() {
    // A failed save keeps the item, in the file and in memory; the error says why.
    if (runGuarded(this, [this] { collection_.deleteCurrentItem(); }))
        Play(QString::fromLatin1(kSoundDelete));
    accept();
}

void TDeleteForm::CancelJPGClick() {
    reject();
}
