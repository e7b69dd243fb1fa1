#include "forms/RestoreDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"

#include <QDateTime>
#include <QLabel>
#include <QListWidget>

using namespace vitrinex;

TRestoreForm::TRestoreForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Buttons(this) {
    setUpSkinnedWindow(this, QStringLiteral("RestoreForm"), QStringLiteral("restore"), QSize(301, 210));
    setModal(true);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("newprintbg.jpg"));
    LabelStyle style;
    style.bold = true;
    style.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"),
                      QStringLiteral("choose the backup to put in place of the collection:"),
                      QRect(20, 12, 261, 34), style);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(20, 48, 261, 112);
    styleInputField(ListBox1, 9);
    OKJPG = addPictureButton(this, Buttons, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                             SkinList::ImageList2, 10, {70, 170},
                             QStringLiteral("click to restore the chosen backup"));
    CancelJPG =
        addPictureButton(this, Buttons, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, {158, 170}, QStringLiteral("click to close window"));
    Buttons.setAction(OKJPG, [this] { OKJPGClick(); });
    Buttons.setAction(CancelJPG, [this] { reject(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { OKJPGClick(); });
    Buttons.attachBackground(JPEGImage1);
    Buttons.attachBackground(Label1);
}

TRestoreForm::~TRestoreForm() = default;

QString TRestoreForm::lineFor(const Generation& g) {
    const QDateTime time =
        QDateTime::fromString(QString::fromStdString(g.time), Qt::ISODateWithMs).toLocalTime();
    return QStringLiteral("%1   %2 items")
        .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
        .arg(g.items);
}

const Generation* TRestoreForm::ShowFor(const std::vector<Generation>& generations) {
    generations_ = generations;
    ListBox1->clear();
    for (const Generation& g : generations_)
        ListBox1->addItem(lineFor(g));
    ListBox1->setCurrentRow(generations_.empty() ? -1 : 0);
    centerOnScreen(this);
    if (exec() != QDialog::Accepted) return nullptr;
    const int row = ListBox1->currentRow();
    return row < 0 ? nullptr : &generations_[static_cast<std::size_t>(row)];
}

void TRestoreForm::OKJPGClick() {
    if (ListBox1->currentRow() >= 0) accept();
}
