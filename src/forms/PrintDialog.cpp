#include "forms/PrintDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"
#include "reports/PainterPrinter.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>

namespace {

bool runSystemPrintDialog(const TPrintForm::SystemPrintDialog& given, QPrinter& printer, QWidget* parent) {
    printer.setCopyCount(1);
    if (given) return given(printer, parent);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

// Green while clear, white while ticked.
void colourByState(QCheckBox* box) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, box->isChecked() ? vitrinex::kSkinWhite : vitrinex::kSkinGreen);
    box->setPalette(palette);
}

} // namespace

TPrintForm::TPrintForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    using namespace vitrinex;

    setUpSkinnedWindow(this, QStringLiteral("PrintForm"), QStringLiteral("print collection"),
                       QSize(301, 210));
    setModal(true);
    buttons_ = new PictureButtons(this);

    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("newprintbg.jpg"));
    LabelStyle style;
    style.pointSize = 12;
    Label1 = addLabel(this, QStringLiteral("Label1"), QStringLiteral("check the information to print."),
                      QRect(47, 22, 0, 0), style);

    CatNumCB = addCheckBox("CatNumCB", QStringLiteral("catalog #"), {61, 60});
    CommentsCB = addCheckBox("CommentsCB", QStringLiteral("comments"), {61, 79});
    ConditionCB = addCheckBox("ConditionCB", QStringLiteral("condition"), {61, 97});
    NetChangeCB = addCheckBox("NetChangeCB", QStringLiteral("net change"), {61, 116});
    PriceCB = addCheckBox("PriceCB", QStringLiteral("price"), {173, 60});
    QuantityCB = addCheckBox("QuantityCB", QStringLiteral("quantity"), {173, 79});
    SeriesCB = addCheckBox("SeriesCB", QStringLiteral("series"), {173, 97});
    YearCB = addCheckBox("YearCB", QStringLiteral("year"), {173, 116});

    PrintJPG = addPictureButton(this, *buttons_, QStringLiteral("PrintJPG"), QStringLiteral("printoff.jpg"),
                                SkinList::ImageList2, 12, QPoint(53, 156),
                                QStringLiteral("click to print collection"));
    CancelJPG =
        addPictureButton(this, *buttons_, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, QPoint(173, 156), QStringLiteral("click to close window"));
    buttons_->setAction(PrintJPG, [this] { PrintJPGMouseUp(); });
    buttons_->setAction(CancelJPG, [this] { CancelJPGMouseUp(); });
    buttons_->attachBackground(JPEGImage1);
    buttons_->attachBackground(Label1);
}

TPrintForm::~TPrintForm() = default;

QCheckBox* TPrintForm::addCheckBox(const char* name, const QString& caption, QPoint pos) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setFont(vitrinex::skinFont(10));
    box->move(pos);
    box->adjustSize();
    colourByState(box);
    connect(box, &QCheckBox::toggled, this, [box] { colourByState(box); });
    buttons_->attachBackground(box);
    return box;
}

void TPrintForm::PrintJPGMouseUp() {
    const bool confirmed = runSystemPrintDialog(systemPrintDialog_, *printer_, this);
    done(confirmed ? QDialog::Accepted : QDialog::Rejected);
}

void TPrintForm::CancelJPGMouseUp() {
    reject();
}

vitrinex::PrintFields TPrintForm::Fields() const {
    vitrinex::PrintFields f;
    f.Year = YearCB->isChecked();
    f.Series = SeriesCB->isChecked();
    f.Price = PriceCB->isChecked();
    f.NetChange = NetChangeCB->isChecked();
    f.Quantity = QuantityCB->isChecked();
    f.Condition = ConditionCB->isChecked();
    f.CatNum = CatNumCB->isChecked();
    f.Comments = CommentsCB->isChecked();
    return f;
}

void TPrintForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    vitrinex::centerOnScreen(this);
}

bool printCollectionWithProgress(QWidget* parent, vitrinex::CollectionSession& collection, QPrinter& printer,
                                 const vitrinex::PrintFields& fields) {
    TPrintProgressForm progress(parent);
    progress.stopOnChangeOf(collection);
    const vitrinex::OpenCollection& open = collection.collection();
    try {
        vitrinex::printOnPrinter(printer, vitrinex::copyRulesFor(open.fileName()), [&](vitrinex::Printer& p) {
            vitrinex::printCollection(open, fields, p, progress.callback());
        });
    } catch (const vitrinex::EPrintCancelled&) {
        // Stopped: the job was aborted and no file was written.
    }
    return !progress.changed();
}
