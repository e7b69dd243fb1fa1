#include "forms/UpdateWindow.h"

#include "collection/Win1252.h"
#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "forms/HistoryDialogs.h"
#include "forms/MessageDialog.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"
#include "sound/Sound.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>

using namespace vitrinex;
using vitrinex::update::CatalogUpdate;

TUpdateForm::TUpdateForm(CatalogUpdate& job, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      job_(job) {
    setUpSkinnedWindow(this, QStringLiteral("UpdateForm"), QStringLiteral("updating..."), QSize(300, 180));
    buttons_ = new PictureButtons(this);
    UpdateJPG = addBackground(this, QStringLiteral("UpdateJPG"), QStringLiteral("updatebg.jpg"));

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
    ProgressBar1->setRange(0, CatalogUpdate::kProgressMax);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(59, 84, 182, 12);

    OKJPG =
        addPictureButton(this, *buttons_, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                         SkinList::ImageList2, 10, QPoint(61, 128), QStringLiteral("click to close window"));
    StatsJPG =
        addPictureButton(this, *buttons_, QStringLiteral("StatsJPG"), QStringLiteral("statsoff.jpg"),
                         SkinList::ImageList2, 16, QPoint(165, 128), QStringLiteral("click to view stats"));
    // OK and stats act only once the update has stopped.
    for (TJPEGImage* b : {OKJPG, StatsJPG})
        buttons_->setReactCondition(b, [this] { return job_.isFinished(); });
    buttons_->setAction(OKJPG, [this] { OKJPGMouseUp(); });
    buttons_->setAction(StatsJPG, [this] { StatsJPGMouseUp(); });
    for (QWidget* w : {static_cast<QWidget*>(UpdateJPG), static_cast<QWidget*>(Label1),
                       static_cast<QWidget*>(StatusLBL), static_cast<QWidget*>(ProgressBar1)})
        buttons_->attachBackground(w);

    connect(&job_, &CatalogUpdate::stageChanged, this, [this](const QString& stage, const QString& detail) {
        Label1->setText(stage);
        StatusLBL->setText(detail);
    });
    connect(&job_, &CatalogUpdate::progressChanged, ProgressBar1, &QProgressBar::setValue);
    connect(&job_, &CatalogUpdate::soundRequested, this, [](const QString& name) { Play(name); });
    connect(&job_, &CatalogUpdate::socketError, this,
            [this](const QString& sentence) { QMessageBox::information(this, QString(), sentence); });
    connect(&job_, &CatalogUpdate::fileError, this, [this](const QString& text) { reportError(this, text); });
    connect(&job_, &CatalogUpdate::changedElsewhere, this,
            [](const vitrinex::EChangedElsewhere& refused) { showChangedElsewhere(refused); });
    connect(&job_, &CatalogUpdate::notApplied, this,
            [](const QString& title, const QString& text) { ShowMessageDialog(title, text); });
    // What the update changed, offered once it is done.
    LabelStyle link = status;
    link.alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    ChangesLBL = addLabel(this, QStringLiteral("ChangesLBL"),
                          QStringLiteral("<a href=\"changes\" style=\"color:#00ffff\">see what changed</a>"),
                          QRect(17, 160, 265, 16), link);
    ChangesLBL->setTextFormat(Qt::RichText);
    ChangesLBL->hide();
    connect(ChangesLBL, &QLabel::linkActivated, this, [this] { ChangesLBLClick(); });
    ChangesForm =
        new THistoryListForm(this, QStringLiteral("ChangesForm"), QStringLiteral("what changed"), false);
    connect(&job_, &CatalogUpdate::finished, this,
            [this](const vitrinex::update::CatalogUpdateResult& result) {
                ChangesLBL->setVisible(result.applied);
            });
    connect(&job_, &CatalogUpdate::stageChanged, this, [this] {
        if (!job_.isFinished()) ChangesLBL->hide();
    });
    // The socket client could not start: there is nothing to show.
    connect(&job_, &CatalogUpdate::cancelled, this, &QWidget::close);
}

TUpdateForm::~TUpdateForm() = default;

void TUpdateForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    centerOnScreen(this);
}

void TUpdateForm::closeEvent(QCloseEvent* event) {
    job_.stop();
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

void TUpdateForm::ChangesLBLClick() {
    // A list beyond this many lines says how many more there are: a million rows help nobody.
    constexpr std::size_t kLinesShown = 10000;
    const CollectionSession::UpdateChanges& last = job_.session().lastUpdateChanges();
    QStringList lines;
    for (std::size_t i = 0; i < last.changes.size() && i < kLinesShown; ++i)
        lines << THistoryListForm::changeLine(last.changes[i]);
    for (std::size_t i = 0; i < last.unmatched.size() && i < kLinesShown; ++i)
        lines << QStringLiteral("no match:   ") + toQString(last.unmatched[i]);
    const std::size_t left =
        last.changes.size() + last.unmatched.size() - static_cast<std::size_t>(lines.size());
    if (left > 0) lines << QStringLiteral("and %1 more").arg(left);
    ChangesForm->ShowLines(QStringLiteral("%1 items changed price; %2 catalog numbers matched nothing.")
                               .arg(last.changes.size())
                               .arg(last.unmatched.size()),
                           lines, QStringLiteral("click to close window"));
}
