#include "forms/ExitDialog.h"

#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "forms/SettingsFile.h"
#include "forms/SkinnedWindow.h"
#include "platform/ApplicationEnd.h"
#include "platform/FilePlaces.h"
#include "sound/Sound.h"

#include <QLabel>

TExitForm::TExitForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    using namespace vitrinex;

    setUpSkinnedWindow(this, QStringLiteral("ExitForm"), QStringLiteral("exit?"), QSize(243, 100));
    setModal(true);
    buttons_ = new PictureButtons(this);

    DialogBGJPG = addBackground(this, QStringLiteral("DialogBGJPG"), QStringLiteral("dialogboxbg.jpg"));

    LabelStyle style;
    style.pointSize = 10;
    style.color = kSkinWhite;
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    style.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"), QStringLiteral("are you sure you want to exit?"),
                      QRect(25, 14, 193, 34), style);

    ExitJPG =
        addPictureButton(this, *buttons_, QStringLiteral("ExitJPG"), QStringLiteral("exitoff.jpg"),
                         SkinList::ImageList2, 8, QPoint(40, 50), QStringLiteral("click to exit vitrinex"));
    CancelJPG =
        addPictureButton(this, *buttons_, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, QPoint(128, 50), QStringLiteral("click to close window"));
    buttons_->setAction(ExitJPG, [this] { ExitJPGMouseUp(); });
    buttons_->setAction(CancelJPG, [this] { CancelJPGMouseUp(); });

    buttons_->attachBackground(DialogBGJPG);
    buttons_->attachBackground(Label1);
}

TExitForm::~TExitForm() = default;

void TExitForm::ExitJPGMouseUp() {
    close();
    // From the build folder this copy lands in the current directory; installed, in the one settings file.
    const QString path = vitrinex::FilePlaces::pathIn(vitrinex::filePlaces().exitSettingsFolder,
                                                      QString::fromLatin1(vitrinex::kSettingsFileName));
    vitrinex::runGuardedAtEnd(this, path,
                              [&path] { vitrinex::writeSoundsSetting(path, vitrinex::Sounds::switchOn()); });
    exitConfirmed_ = true;
    vitrinex::requestApplicationEnd();
}

void TExitForm::CancelJPGMouseUp() {
    close();
}

void TExitForm::showEvent(QShowEvent* event) {
    exitConfirmed_ = false;
    QDialog::showEvent(event);
    vitrinex::centerOnScreen(this);
}
