#include "forms/SkinnedWindow.h"

#include "controls/PictureControl.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QWidget>

namespace vitrinex {

QImage skinPicture(const QString& fileName) {
    const QString path = skinPicturePath(fileName);
    QImage picture(path);
    if (path.contains(QLatin1String("@2x."))) picture.setDevicePixelRatio(2); // painted at its 1x size
    return picture;
}

QFont skinFont(int pointSize, bool bold) {
    QFont font(QStringLiteral("Arial Narrow"), pointSize, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void setUpSkinnedWindow(QWidget* window, const QString& objectName, const QString& caption,
                        QSize clientSize) {
    window->setObjectName(objectName);
    window->setWindowTitle(caption);
    window->setFixedSize(clientSize);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, kSkinWhite);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

void centerOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    window->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2) +
                 (window->geometry().topLeft() - frame.topLeft()));
}

TJPEGImage* addBackground(QWidget* window, const QString& objectName, const QString& pictureFile) {
    auto* background = new TJPEGImage(window);
    background->setObjectName(objectName);
    background->setLoadingLayout(true);
    background->setFileName(pictureFile);
    background->setPicture(skinPicture(pictureFile));
    background->setLoadingLayout(false);
    background->setGeometry(QRect(QPoint(0, 0), window->size()));
    background->lower();
    return background;
}

TJPEGImage* addPictureButton(QWidget* window, PictureButtons& buttons, const QString& objectName,
                             const QString& pictureFile, SkinList list, int normalIndex, QPoint pos,
                             const QString& hint, int group) {
    auto* button = new TJPEGImage(window);
    button->setObjectName(objectName);
    button->setLoadingLayout(true);
    button->setFileName(pictureFile);
    button->setNumOfColors(TJPEGImage::TNumOfColors::TrueColor);
    button->setPicture(skinPicture(pictureFile));
    button->setLoadingLayout(false);
    button->move(pos);
    buttons.addButton(button, list, normalIndex, group);
    PictureButtons::setHint(button, hint);
    return button;
}

QLabel* addLabel(QWidget* window, const QString& objectName, const QString& text, QRect geometry,
                 const LabelStyle& style) {
    auto* label = new QLabel(text, window);
    label->setObjectName(objectName);
    label->setFont(skinFont(style.pointSize, style.bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, style.color);
    label->setPalette(palette);
    label->setAlignment(style.alignment);
    label->setWordWrap(style.wordWrap);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setTextFormat(Qt::PlainText);
    if (geometry.size().isEmpty()) {
        label->move(geometry.topLeft());
        label->adjustSize();
    } else {
        label->setGeometry(geometry);
    }
    return label;
}

void styleInputField(QWidget* field, int pointSize) {
    field->setFont(skinFont(pointSize));
    field->setStyleSheet(
        QStringLiteral("QLineEdit, QPlainTextEdit, QComboBox { background: black; color: white;"
                       " border: 1px solid #2b5c34; padding: 0px 3px; selection-background-color: #2b5c34; }"
                       " QLineEdit:focus, QPlainTextEdit:focus, QComboBox:focus { border-color: #39d353; }"
                       " QComboBox QAbstractItemView { background: black; color: white; }"));
}

} // namespace vitrinex
