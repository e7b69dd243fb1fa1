#include "forms/ItemDialog.h"

#include "collection/Win1252.h"
#include "controls/MaskedEditField.h"
#include "controls/PictureControl.h"
#include "forms/ErrorReport.h"
#include "forms/MessageDialog.h"
#include "forms/SkinnedWindow.h"
#include "model/CollectionSession.h"
#include "sound/Sound.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace vitrinex;

namespace {

const QString kAddCaption = QStringLiteral("add item");
const QString kEditCaption = QStringLiteral("edit item");

// The comments field shows line breaks as "\n"; the item stores them as CR LF.
QString storedComments(const QString& shown) {
    QString text = shown;
    return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

QString shownComments(const QString& stored) {
    QString text = stored;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

TAddFigureForm::TAddFigureForm(CollectionSession& collection, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      collection_(collection), Buttons(this) {
    setUpSkinnedWindow(this, QStringLiteral("AddFigureForm"), kAddCaption, QSize(380, 396));
    setModal(true);
    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("addbg.jpg"));
    Buttons.attachBackground(JPEGImage1);

    LabelStyle title;
    title.pointSize = 14;
    title.bold = true;
    title.alignment = Qt::AlignHCenter | Qt::AlignTop;
    title.wordWrap = true;
    TitlePanel = addLabel(this, QStringLiteral("TitlePanel"), QString(), QRect(29, 28, 321, 45), title);
    Buttons.attachBackground(TitlePanel);
    createFields();

    AddJPG = addPictureButton(this, Buttons, QStringLiteral("AddJPG"), QStringLiteral("addoff.jpg"),
                              SkinList::ImageList2, 0, {97, 336}, QStringLiteral("click to add item"));
    EditJPG = addPictureButton(this, Buttons, QStringLiteral("EditJPG"), QStringLiteral("editoff.jpg"),
                               SkinList::ImageList2, 6, {97, 336}, QStringLiteral("click to save changes"));
    CancelJPG =
        addPictureButton(this, Buttons, QStringLiteral("CancelJPG"), QStringLiteral("canceloff.jpg"),
                         SkinList::ImageList2, 2, {209, 336}, QStringLiteral("click to close window"));
    for (TJPEGImage* b : {AddJPG, EditJPG}) {
        Buttons.setReactCondition(b, [this] { return InputComplete(); });
        Buttons.setAction(b, [this] { AddSave(); });
        // The tooltip tells whether the button can act now.
        const bool edit = b == EditJPG;
        connect(b, &TJPEGImage::MouseMove, this, [this, b, edit] {
            PictureButtons::setHint(b, ItemEntry::ButtonHint(edit, InputComplete()));
        });
    }
    Buttons.setActsOnAnyRelease(EditJPG, true);
    Buttons.setAction(CancelJPG, [this] { CancelJPGClick(); });
    writeFields();
    showButtons();
}

TAddFigureForm::~TAddFigureForm() = default;

void TAddFigureForm::createFields() {
    auto caption = [this](const char* name, const QString& text, QPoint at) {
        QLabel* l =
            addLabel(this, QString::fromLatin1(name), text, QRect(at, QSize()), {10, kSkinGreen, true});
        Buttons.attachBackground(l);
    };
    caption("Label1", QStringLiteral("name:"), {52, 133});
    caption("Label2", QStringLiteral("quantity:"), {257, 133});
    caption("Label3", QStringLiteral("year:"), {56, 165});
    caption("Label4", QStringLiteral("series:"), {161, 165});
    caption("Label5", QStringLiteral("price:"), {54, 196});
    caption("Label6", QStringLiteral("net change:"), {160, 197});
    caption("Label7", QStringLiteral("condition:"), {32, 226});
    caption("Label8", QStringLiteral("catalog #:"), {170, 226});
    caption("Label9", QStringLiteral("comments:"), {28, 254});

    auto edit = [this](const char* name, QRect place, int limit) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(place);
        e->setMaxLength(limit);
        styleInputField(e);
        return e;
    };
    auto masked = [this](const char* name, MaskKind kind, QRect place) {
        auto* e = new TMaskEdit(kind, this);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(place);
        styleInputField(e);
        // The year field is 30 pixels wide: no room to spare beside its four digits.
        e->setStyleSheet(e->styleSheet() + QStringLiteral(" QLineEdit { padding: 0px 1px; }"));
        return e;
    };
    FigureNameEDT = edit("FigureNameEDT", {91, 129, 152, 24}, ItemEntry::kNameLimit);
    QuantityEDT = masked("QuantityEDT", MaskKind::Quantity, {309, 129, 26, 24});
    YearEDT = masked("YearEDT", MaskKind::Year, {91, 161, 30, 24});
    SeriesEDT = edit("SeriesEDT", {203, 161, 132, 24}, ItemEntry::kSeriesLimit);
    PriceEDT = masked("PriceEDT", MaskKind::Price, {91, 192, 57, 24});
    NetChangeEDT = masked("NetChangeEDT", MaskKind::NetChange, {231, 193, 33, 24});
    ConditionCB = new QComboBox(this);
    ConditionCB->setObjectName(QStringLiteral("ConditionCB"));
    ConditionCB->setGeometry(91, 222, 57, 24);
    ConditionCB->addItems(ItemEntry::Conditions());
    styleInputField(ConditionCB);
    CatNumEDT = edit("CatNumEDT", {231, 222, 62, 24}, ItemEntry::kCatNumLimit);
    CommentsMEMO = new QPlainTextEdit(this);
    CommentsMEMO->setObjectName(QStringLiteral("CommentsMEMO"));
    CommentsMEMO->setGeometry(91, 254, 243, 61);
    CommentsMEMO->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    CommentsMEMO->setTabChangesFocus(true);
    styleInputField(CommentsMEMO);

    for (QLineEdit* e :
         {FigureNameEDT, static_cast<QLineEdit*>(QuantityEDT), static_cast<QLineEdit*>(YearEDT), SeriesEDT,
          static_cast<QLineEdit*>(PriceEDT), static_cast<QLineEdit*>(NetChangeEDT), CatNumEDT})
        connect(e, &QLineEdit::textChanged, this, &TAddFigureForm::readFields);
    connect(ConditionCB, &QComboBox::currentIndexChanged, this, &TAddFigureForm::readFields);
    connect(CommentsMEMO, &QPlainTextEdit::textChanged, this, &TAddFigureForm::limitComments);

    QWidget* previous = nullptr;
    for (QWidget* field :
         std::initializer_list<QWidget*>{FigureNameEDT, QuantityEDT, YearEDT, SeriesEDT, PriceEDT,
                                         NetChangeEDT, ConditionCB, CatNumEDT, CommentsMEMO}) {
        field->installEventFilter(this);
        if (previous) setTabOrder(previous, field);
        previous = field;
    }
}

void TAddFigureForm::readFields() {
    if (syncing_) return;
    ItemFieldTexts& f = entry_.Fields;
    f.FigureName = FigureNameEDT->text();
    f.Quantity = QuantityEDT->text();
    f.Year = YearEDT->text();
    f.Series = SeriesEDT->text();
    f.Price = PriceEDT->text();
    f.NetChange = NetChangeEDT->text();
    f.Condition = ConditionCB->currentText();
    f.CatNum = CatNumEDT->text();
    f.Comments = storedComments(CommentsMEMO->toPlainText());
}

void TAddFigureForm::writeFields() {
    syncing_ = true;
    const ItemFieldTexts& f = entry_.Fields;
    auto put = [](QLineEdit* e, const QString& text) {
        // A stored text longer than the dialog lets one type (written by the command line or another
        // program) is shown and kept whole.
        if (text.size() > e->maxLength()) e->setMaxLength(int(text.size()));
        if (e->text() != text) e->setText(text);
    };
    put(FigureNameEDT, f.FigureName);
    // The masked fields align what they are given, as the entry did.
    for (auto [e, text] : {std::pair{QuantityEDT, f.Quantity}, std::pair{YearEDT, f.Year},
                           std::pair{PriceEDT, f.Price}, std::pair{NetChangeEDT, f.NetChange}})
        if (e->text() != text) e->setText(text);
    put(SeriesEDT, f.Series);
    put(CatNumEDT, f.CatNum);
    // A stored condition that the list does not hold is shown as an entry of its own and kept, as a
    // long name is.
    if (!f.Condition.isEmpty() && ConditionCB->findText(f.Condition) < 0) ConditionCB->addItem(f.Condition);
    ConditionCB->setCurrentIndex(ConditionCB->findText(f.Condition));
    if (storedComments(CommentsMEMO->toPlainText()) != f.Comments)
        CommentsMEMO->setPlainText(shownComments(f.Comments));
    syncing_ = false;
    readFields();
}

void TAddFigureForm::limitComments() {
    if (syncing_) return;
    QString stored = storedComments(CommentsMEMO->toPlainText());
    if (stored.size() > ItemEntry::kCommentsLimit) {
        // A line break counts as two characters; one is never cut in half.
        stored.truncate(ItemEntry::kCommentsLimit);
        if (stored.endsWith(QLatin1Char('\r'))) stored.chop(1);
        syncing_ = true;
        CommentsMEMO->setPlainText(shownComments(stored));
        CommentsMEMO->moveCursor(QTextCursor::End);
        syncing_ = false;
    }
    readFields();
}

void TAddFigureForm::resetLimits() {
    FigureNameEDT->setMaxLength(ItemEntry::kNameLimit);
    SeriesEDT->setMaxLength(ItemEntry::kSeriesLimit);
    CatNumEDT->setMaxLength(ItemEntry::kCatNumLimit);
    while (ConditionCB->count() > int(ItemEntry::Conditions().size()))
        ConditionCB->removeItem(ConditionCB->count() - 1);
}

void TAddFigureForm::ShowAdd(const QString& title) {
    entry_.EditMode = false;
    resetLimits();
    TitlePanel->setText(title);
    entry_.putField(EntryField::Condition, ItemEntry::Conditions().front());
    entry_.putField(EntryField::Price, ItemEntry::kPriceReset);
    writeFields();
    setWindowTitle(kAddCaption);
    centerOnScreen(this);
    exec();
}

void TAddFigureForm::ShowEdit(const QString& title) {
    const TFigureNode* item = collection_.collection().currentItem();
    if (!item) return;
    resetLimits();
    entry_.FillForEdit(item->Record);
    writeFields();
    // The controls may alter a text in showing it (a lone line break in the comments): the item as
    // they show it is the untouched one.
    entry_.MarkUntouched();
    setWindowTitle(kEditCaption);
    TitlePanel->setText(title);
    centerOnScreen(this);
    exec();
}

void TAddFigureForm::showButtons() {
    EditJPG->setVisible(entry_.EditMode);
    AddJPG->setVisible(!entry_.EditMode);
}

TJPEGImage* TAddFigureForm::actionButton() const {
    return entry_.EditMode ? EditJPG : AddJPG;
}

QWidget* TAddFigureForm::fieldWidget(EntryField field) const {
    switch (field) {
    case EntryField::Quantity:
        return QuantityEDT;
    case EntryField::Price:
        return PriceEDT;
    case EntryField::NetChange:
        return NetChangeEDT;
    default:
        return FigureNameEDT;
    }
}

void TAddFigureForm::showRefusal(const UserMessage& message, EntryField focus) {
    writeFields();
    ShowMessageDialog(toQString(message.title), toQString(message.text));
    if (focus != EntryField::None) fieldWidget(focus)->setFocus();
}

void TAddFigureForm::AddSave() {
    readFields();
    if (!InputComplete()) return;
    if (refuseForeignCharacters({{QStringLiteral("the name"), entry_.Fields.FigureName},
                                 {QStringLiteral("the series"), entry_.Fields.Series},
                                 {QStringLiteral("the catalog #"), entry_.Fields.CatNum},
                                 {QStringLiteral("the comments"), entry_.Fields.Comments}}))
        return;
    AddSaveOutcome out;
    const bool ran = runGuarded(this, [&] { out = collection_.addSave(entry_); });
    writeFields();
    if (!ran) return;
    if (out.message) showRefusal(*out.message, out.focus);
    if (!out.completed) return;
    setWindowTitle(kAddCaption);
    showButtons();
    emit addSaveCompleted(entry_.NameToSelect);
    Play(QString::fromLatin1(kSoundAdd));
    if (out.closeDialog) accept();
}

void TAddFigureForm::CancelJPGClick() {
    reject();
}

void TAddFigureForm::done(int result) {
    // Cancel, Escape and the close box alike: nothing half-typed is kept for the next use.
    if (result == QDialog::Rejected) {
        entry_.Cancel();
        writeFields();
    }
    setWindowTitle(kAddCaption);
    enterDown_ = false;
    QDialog::done(result);
}

void TAddFigureForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    showButtons();
    FigureNameEDT->setFocus();
}

void TAddFigureForm::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) showButtons();
    QDialog::changeEvent(event);
}

void TAddFigureForm::leaveField(QObject* field) {
    readFields();
    if (field == PriceEDT) {
        if (auto refusal = entry_.LeavePriceField()) return showRefusal(*refusal, EntryField::Price);
    } else if (field == QuantityEDT) {
        entry_.LeaveMaskedField(EntryField::Quantity);
    } else if (field == YearEDT) {
        entry_.LeaveMaskedField(EntryField::Year);
    } else if (field == NetChangeEDT) {
        entry_.LeaveMaskedField(EntryField::NetChange);
    }
    writeFields();
}

bool TAddFigureForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // Only a move to another control of the dialog leaves a field; another window taking the
        // focus (a message, a drop-down list) does not.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            leaveField(watched);
        return QDialog::eventFilter(watched, event);
    }
    if (watched == CommentsMEMO || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (!isEnter(key)) return QDialog::eventFilter(watched, event);
    if (key->isAutoRepeat()) return true;
    // Enter in a field works the Add/Save button: pressed look on the way down, the action on release.
    if (event->type() == QEvent::KeyPress) {
        enterDown_ = false;
        if (!InputComplete()) return true;
        readFields();
        if (auto refusal = entry_.PriceCheck()) {
            showRefusal(*refusal, EntryField::Price);
            return true;
        }
        enterDown_ = Buttons.enterPressed(actionButton());
    } else if (enterDown_) {
        enterDown_ = false;
        Buttons.enterReleased(actionButton(), [this] { AddSave(); });
    }
    return true;
}
