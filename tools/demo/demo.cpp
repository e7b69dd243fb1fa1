// vitrinex-demo: one window made of the skin's parts: a background picture, a group of picture
// buttons that light up and shift when pressed, and a list with its bitmap scroll bar.

#include "controls/BitmapScrollBar.h"
#include "controls/PictureButtons.h"
#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>

using namespace vitrinex;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    setUpSkinnedWindow(&window, QStringLiteral("DemoForm"), QStringLiteral("vitrinex skin demo"),
                       QSize(301, 210));
    PictureButtons buttons(&window);
    TJPEGImage* background =
        addBackground(&window, QStringLiteral("JPEGImage1"), QStringLiteral("newprintbg.jpg"));
    buttons.attachBackground(background);

    QLabel* status =
        addLabel(&window, QStringLiteral("StatusLBL"), QStringLiteral("press a button"),
                 QRect(170, 24, 110, 40), {10, kSkinGreen, false, Qt::AlignLeft | Qt::AlignTop, true});
    buttons.attachBackground(status);

    auto* list = new QListWidget(&window);
    list->setGeometry(20, 20, 130, 120);
    list->setFont(skinFont(9));
    list->setFrameShape(QFrame::NoFrame);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, kSkinWhite);
    list->setPalette(palette);
    for (int i = 1; i <= 40; ++i)
        list->addItem(QStringLiteral("figure %1").arg(i));
    buttons.attachBackground(list);

    auto* bar = new TBMPScrollBar(&window);
    bar->setBMPTopLeft(QPixmap::fromImage(skinPicture(QStringLiteral("listbar-top.png"))));
    bar->setBMPTrack(QPixmap::fromImage(skinPicture(QStringLiteral("listbar-track.png"))));
    bar->setBMPBottomRight(QPixmap::fromImage(skinPicture(QStringLiteral("listbar-bottom.png"))));
    bar->setBMPThumb(QPixmap::fromImage(skinPicture(QStringLiteral("listbar-thumb.png"))));
    bar->setAutoSize(false);
    bar->setGeometry(150, 20, 18, 120);
    bar->setMin(1);
    bar->setMax(list->count() - 8);
    bar->setPosition(1);
    QObject::connect(bar, &TBMPScrollBar::OnChange, list, [bar, list] {
        list->scrollToItem(list->item(bar->position() - 1), QAbstractItemView::PositionAtTop);
    });

    const struct {
        const char* name;
        const char* picture;
        int index;
        QPoint pos;
    } demoButtons[] = {{"OKJPG", "okoff.jpg", 10, {20, 156}},
                       {"StatsJPG", "statsoff.jpg", 16, {113, 156}},
                       {"CancelJPG", "canceloff.jpg", 2, {206, 156}}};
    for (const auto& s : demoButtons) {
        TJPEGImage* b =
            addPictureButton(&window, buttons, QString::fromLatin1(s.name), QString::fromLatin1(s.picture),
                             SkinList::ImageList2, s.index, s.pos, QStringLiteral("click me"));
        const QString name = QString::fromLatin1(s.name);
        buttons.setAction(b, [status, name, &app] {
            status->setText(name + QStringLiteral(" clicked"));
            if (name == QStringLiteral("CancelJPG")) app.quit();
        });
    }
    window.show();
    return app.exec();
}
