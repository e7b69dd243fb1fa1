#include "forms/HistoryDialogs.h"

#include "collection/PriceApplication.h"
#include "collection/Win1252.h"
#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "history/DeletedItems.h"

#include <QDateTime>
#include <QLabel>
#include <QListWidget>

using namespace vitrinex;

THistoryListForm::THistoryListForm(QWidget* parent, const QString& objectName, const QString& title,
                                   bool choosing)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Buttons(this), choosing_(choosing) {
    setUpSkinnedWindow(this, objectName, title, QSize(361, 250));
    setModal(true);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("newprintbg.jpg"));
    LabelStyle style;
    style.bold = true;
    style.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"), QString(), QRect(20, 12, 321, 34), style);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(20, 48, 321, 152);
    styleInputField(ListBox1, 9);
    OKJPG = addPictureButton(this, Buttons, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                             SkinList::ImageList2, 10, {choosing ? 100 : 145, 210}, QString());
    Buttons.setAction(OKJPG, [this] { OKJPGClick(); });
    if (choosing) {
        CancelJPG =
            addPictureButton(this, Buttons, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                             SkinList::ImageList2, 2, {188, 210}, QStringLiteral("click to close window"));
        Buttons.setAction(CancelJPG, [this] { reject(); });
        connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { OKJPGClick(); });
    }
    Buttons.attachBackground(JPEGImage1);
    Buttons.attachBackground(Label1);
}

THistoryListForm::~THistoryListForm() = default;

int THistoryListForm::ShowLines(const QString& prompt, const QStringList& lines, const QString& okHint) {
    Label1->setText(prompt);
    OKJPG->setToolTip(okHint);
    ListBox1->clear();
    ListBox1->addItems(lines);
    ListBox1->setCurrentRow(lines.isEmpty() ? -1 : 0);
    centerOnScreen(this);
    if (exec() != QDialog::Accepted || !choosing_) return -1;
    return ListBox1->currentRow();
}

void THistoryListForm::OKJPGClick() {
    if (!choosing_ || ListBox1->currentRow() >= 0) accept();
}

QString THistoryListForm::deletedLine(const DeletedItem& item) {
    const QDateTime time =
        QDateTime::fromString(QString::fromStdString(item.time), Qt::ISODate).toLocalTime();
    return QStringLiteral("%1   %2   %3")
        .arg(time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), toQString(item.record.FigureName.view()),
             toQString(item.record.Price.view()));
}

QString THistoryListForm::changeLine(const PriceChange& change) {
    return QStringLiteral("%1   %2 to %3")
        .arg(toQString(change.item), toQString(change.oldPrice), toQString(change.newPrice));
}
