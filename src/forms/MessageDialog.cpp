#include "forms/MessageDialog.h"

#include "forms/ErrorReport.h"

#include "collection/Win1252.h"
#include "controls/PictureControl.h"
#include "forms/SkinnedWindow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>

const QString TError1Form::kDefaultTitle = QStringLiteral("error");
const QString TError1Form::kDefaultText = QStringLiteral("missing information!");

namespace {

constexpr Qt::WindowFlags kBoxFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                      Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

// The title bar's face is at least this size, and its buttons take this room on either side.
constexpr double kTitlePointSize = 11;
constexpr int kTitleButtonsRoom = 56;

// The program's one message box, made on first use; it goes before the application does.
QPointer<TError1Form>& ownForm() {
    static QPointer<TError1Form> form;
    return form;
}

void dropOwnForm() {
    delete ownForm().data();
}

QString orDefault(const QString& value, const QString& fallback) {
    return value.isEmpty() ? fallback : value;
}

} // namespace

TError1Form::TError1Form(QWidget* parent) : QDialog(parent, kBoxFlags) {
    using namespace vitrinex;

    setUpSkinnedWindow(this, QStringLiteral("Error1Form"), kDefaultTitle, QSize(250, 150));
    setModal(true);
    buttons_ = new PictureButtons(this);

    JPEGImage1 = addBackground(this, QStringLiteral("JPEGImage1"), QStringLiteral("oldbg.jpg"));

    LabelStyle style;
    style.pointSize = 10;
    style.bold = true;
    style.color = kSkinWhite;
    // Top-aligned so that a text too long for the label loses its end, not its beginning.
    style.alignment = Qt::AlignHCenter | Qt::AlignTop;
    style.wordWrap = true;
    Label1 = addLabel(this, QStringLiteral("Label1"), kDefaultText, QRect(30, 20, 189, 69), style);

    OKJPG =
        addPictureButton(this, *buttons_, QStringLiteral("OKJPG"), QStringLiteral("okoff.jpg"),
                         SkinList::ImageList2, 10, QPoint(87, 100), QStringLiteral("click to close window"));
    buttons_->setAction(OKJPG, [this] { OKJPGMouseUp(); });

    buttons_->attachBackground(JPEGImage1);
    buttons_->attachBackground(Label1);
}

TError1Form::~TError1Form() = default;

void TError1Form::setMessage(const QString& title, const QString& text) {
    setWindowTitle(orDefault(title, kDefaultTitle));
    Label1->setText(orDefault(text, kDefaultText));
    fitMessage();
}

void TError1Form::fitMessage() {
    // The usual box is 250 x 150 with a 189 x 69 label; a longer text makes it taller and a longer
    // title wider, so that every message is read whole. The title bar is drawn by the window manager
    // in a face Qt cannot ask for: the title is measured in the system's title font, bold and no
    // smaller than title bars set it, with room for the bar's buttons on both sides, as a centred
    // title keeps.
    QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    titleFont.setBold(true);
    titleFont.setPointSizeF(std::max(titleFont.pointSizeF(), kTitlePointSize));
    const int width =
        std::max(250, QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + 2 * kTitleButtonsRoom);
    const int labelWidth = 189 + (width - 250);
    const int labelHeight = std::max(69, Label1->heightForWidth(labelWidth));
    const int shift = labelHeight - 69;
    setFixedSize(width, 150 + shift);
    JPEGImage1->setGeometry(0, 0, width, 150 + shift);
    Label1->setGeometry(30, 20, labelWidth, labelHeight);
    OKJPG->move((width - OKJPG->width()) / 2, 100 + shift);
}

void TError1Form::resetMessage() {
    setMessage({}, {});
}

QString TError1Form::text() const {
    return Label1->text();
}

void TError1Form::OKJPGMouseUp() {
    resetMessage();
    close();
}

void TError1Form::done(int result) {
    resetMessage();
    QDialog::done(result);
}

void TError1Form::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return QDialog::keyPressEvent(event);
    if (!event->isAutoRepeat()) enterDown_ = buttons_->enterPressed(OKJPG);
}

void TError1Form::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return QDialog::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && std::exchange(enterDown_, false)) buttons_->enterReleased(OKJPG);
}

void TError1Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    vitrinex::centerOnScreen(this);
}

void ShowMessageDialog(const QString& title, const QString& text) {
    const QString shownTitle = orDefault(title, TError1Form::kDefaultTitle);
    const QString shownText = orDefault(text, TError1Form::kDefaultText);
    if (const auto& shown = vitrinex::shownMessagesForTesting().message) {
        shown(shownTitle, shownText);
        return;
    }

    if (!ownForm()) {
        static const bool registered = (qAddPostRoutine(dropOwnForm), true);
        Q_UNUSED(registered);
        ownForm() = new TError1Form;
    }
    if (ownForm()->isVisible()) {
        // A message raised while the box is still open (a timer of a non-modal window, say) gets a box
        // of its own instead of overwriting the one on screen.
        TError1Form extra;
        extra.setMessage(shownTitle, shownText);
        extra.exec();
        return;
    }
    QPointer<TError1Form> form = ownForm();
    form->setMessage(shownTitle, shownText);
    form->exec();
}

TError1Form* MessageDialogWindow() {
    return ownForm();
}

namespace vitrinex {

bool refuseForeignCharacters(std::initializer_list<std::pair<QString, QString>> fields) {
    for (const auto& [caption, text] : fields) {
        const QString foreign = firstForeignCharacter(text);
        if (foreign.isEmpty()) continue;
        ShowMessageDialog(QStringLiteral("invalid character"),
                          caption + " holds '" + foreign + "', a character a collection cannot store.");
        return true;
    }
    return false;
}

} // namespace vitrinex
