#include "forms/PrintDialog.h"

#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionNotifier.h"
#include "reports/PainterPrinter.h"

#include <QCheckBox>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>

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

TPrintProgressForm::TPrintProgressForm(QWidget* parent)
    : dialog_(std::make_unique<QProgressDialog>(QStringLiteral("making pages . . ."),
                                                QStringLiteral("cancel"), 0, 1, parent)) {
    dialog_->setObjectName(QStringLiteral("PrintProgressForm"));
    dialog_->setWindowTitle(QStringLiteral("print collection"));
    // Nothing else may change the collection while its pages are made.
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setFont(vitrinex::skinFont(10));
    dialog_->setStyleSheet(QStringLiteral(
        "QProgressDialog { background: black; } QLabel { color: white; }"
        " QProgressBar { background: black; color: white; border: 1px solid #2b5c34; text-align: center; }"
        " QProgressBar::chunk { background: #39d353; }"
        " QPushButton { background: black; color: #39d353; border: 1px solid #2b5c34; padding: 2px 14px; }"
        " QPushButton:hover, QPushButton:focus { border-color: #39d353; }"));
    dialog_->setValue(0);
}

TPrintProgressForm::~TPrintProgressForm() = default;

vitrinex::PrintProgress TPrintProgressForm::callback() {
    return [this](int done, int total) { return advance(done, total); };
}

bool TPrintProgressForm::advance(int done, int total) {
    if (dialog_->maximum() != total) dialog_->setMaximum(std::max(total, 1));
    // A modal progress window handles the events waiting, a press of Cancel among them.
    dialog_->setValue(std::min(done, dialog_->maximum()));
    return !stopped_ && !dialog_->wasCanceled();
}

bool printCollectionWithProgress(QWidget* parent, vitrinex::CollectionNotifier& collection, QPrinter& printer,
                                 const vitrinex::PrintFields& fields) {
    using vitrinex::CollectionNotifier;
    bool changed = false;
    TPrintProgressForm progress(parent);
    QObject guard;
    for (auto signal :
         {&CollectionNotifier::opened, &CollectionNotifier::closed, &CollectionNotifier::itemsChanged,
          &CollectionNotifier::infoChanged, &CollectionNotifier::updated, &CollectionNotifier::reloaded})
        QObject::connect(&collection, signal, &guard,
                         [&progress, &changed] { progress.stop(), changed = true; });
    const vitrinex::OpenCollection& open = collection.collection();
    try {
        vitrinex::printOnPrinter(printer, vitrinex::copyRulesFor(open.fileName()), [&](vitrinex::Printer& p) {
            vitrinex::printCollection(open, fields, p, progress.callback());
        });
    } catch (const vitrinex::EPrintCancelled&) {
        // Stopped: the job was aborted and no file was written.
    }
    return !changed;
}
