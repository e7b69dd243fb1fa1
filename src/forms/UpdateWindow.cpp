#include "forms/UpdateWindow.h"

#include "collection/Win1252.h"
#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "platform/FilePlaces.h"
#include "sound/Sound.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

using namespace vitrinex;

namespace {

QString fromWin1252(const std::string& text) {
    return QString::fromStdString(win1252ToUtf8(text));
}

} // namespace

TUpdateForm::TUpdateForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setUpSkinnedWindow(this, QStringLiteral("UpdateForm"), QStringLiteral("updating..."), QSize(300, 180));
    buttons_ = new PictureButtons(this);
    UpdateJPG = addBackground(this, QStringLiteral("UpdateJPG"), QStringLiteral("updatebg.jpg"));
    // Installed, update.dat goes to the user's data folder instead of wherever the program was started.
    if (vitrinex::filePlaces().installed)
        download_.UpdateFileName = QFile::encodeName(vitrinex::filePlaces().updateFilePath()).toStdString();

    LabelStyle message;
    message.pointSize = 10;
    message.alignment = Qt::AlignHCenter | Qt::AlignTop;
    message.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"), QString(), QRect(16, 30, 249, 48), message);
    LabelStyle status = message;
    status.pointSize = 9;
    status.color = kSkinGreen;
    StatusLBL = addLabel(this, QStringLiteral("StatusLBL"), QString(), QRect(17, 100, 265, 29), status);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, net::UpdateDownload::kProgressMax);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(59, 84, 182, 12);

    OKJPG = addPictureButton(this, *buttons_, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                             SkinList::ImageList2, 10, QPoint(61, 128), QStringLiteral("click to close window"));
    StatsJPG = addPictureButton(this, *buttons_, QStringLiteral("StatsJPG"), QStringLiteral("statsoff.jpg"),
                                SkinList::ImageList2, 16, QPoint(165, 128), QStringLiteral("click to view stats"));
    // OK and stats act only once the update has stopped.
    for (TJPEGImage* b : {OKJPG, StatsJPG})
        buttons_->setReactCondition(b, [this] { return download_.Finished; });
    buttons_->setAction(OKJPG, [this] { OKJPGMouseUp(); });
    buttons_->setAction(StatsJPG, [this] { StatsJPGMouseUp(); });
    for (QWidget* w : {static_cast<QWidget*>(UpdateJPG), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(StatusLBL), static_cast<QWidget*>(ProgressBar1)})
        buttons_->attachBackground(w);

    download_.play = [](const std::string& name) { Play(QString::fromStdString(name)); };
    download_.showSocketError = [this](const std::string& text) {
        QMessageBox::information(this, QString(), QString::fromStdString(text));
    };
    connect(&download_, &net::UpdateDownload::changed, this, &TUpdateForm::showDownload);
    connect(&download_, &net::UpdateDownload::closeRequested, this, &QWidget::close);
}

TUpdateForm::~TUpdateForm() = default;

void TUpdateForm::showDownload() {
    Label1->setText(fromWin1252(download_.Label1()));
    StatusLBL->setText(fromWin1252(download_.StatusLBL()));
    ProgressBar1->setValue(download_.Progress());
}

void TUpdateForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centerOnScreen(this);
    if (!event->spontaneous()) download_.FormShow();
}

void TUpdateForm::closeEvent(QCloseEvent* event) {
    download_.FormClose();
    QWidget::closeEvent(event);
}

void TUpdateForm::OKJPGMouseUp() {
    emit okClicked();
    close();
}

void TUpdateForm::StatsJPGMouseUp() {
    emit statsClicked();
    close();
}
