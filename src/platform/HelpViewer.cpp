#include "platform/HelpViewer.h"

#include "Version.h"
#include "platform/FilePlaces.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace vitrinex {

namespace {

// A help page is a few dozen kilobytes; anything far larger is not one.
constexpr qint64 kMaxHelpFileSize = 8 * 1024 * 1024;

QPointer<HelpWindow>& theWindow() {
    static QPointer<HelpWindow> window;
    return window;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle) + QStringLiteral(" help"));
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);
    // The page brings its own colours; these keep the skin's look around and behind it.
    QPalette dark = browser_->palette();
    dark.setColor(QPalette::Base, Qt::black);
    dark.setColor(QPalette::Text, Qt::white);
    browser_->setPalette(dark);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    // Within the screen at every zoom (a 1024 x 768 screen at 200 % has 512 x 384 points), with room
    // left for the frame and the desktop's panels.
    QSize size(640, 560);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - QSize(40, 60));
    resize(size);
    // Closing drops the window; the next request builds a fresh one.
    setAttribute(Qt::WA_DeleteOnClose);
}

void HelpWindow::showDocument(const QString& html, const QString& baseFolder) {
    browser_->setSearchPaths({baseFolder});
    browser_->setHtml(html);
    browser_->moveCursor(QTextCursor::Start);
    browser_->ensureCursorVisible();
}

bool readHelpFile(const QString& path, QString& html) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxHelpFileSize) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(kMaxHelpFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxHelpFileSize) return false;

    // The page names its encoding (or carries a byte-order mark); without either it is UTF-8.
    const auto encoding = QStringConverter::encodingForHtml(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decode(encoding);
    QString text = decode(bytes);
    // Bytes that are no text in that encoding, or a NUL, mean a damaged file rather than a page.
    if (decode.hasError() || text.contains(QChar(u'\0')) || text.trimmed().isEmpty()) return false;
    html = std::move(text);
    return true;
}

bool showHelpContents(const QString& helpFileName) {
    if (helpFileName.isEmpty()) return false;
    const QString path = filePlaces().dataPath(helpFileName);
    QString html;
    if (!readHelpFile(path, html)) return false;

    QPointer<HelpWindow>& window = theWindow();
    if (!window) {
        window = new HelpWindow;
        // A window without a parent would outlive the application object.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, window.data(),
                         [w = window] { delete w.data(); });
    }
    window->showDocument(html, QFileInfo(path).absolutePath());
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
    return true;
}

HelpWindow* helpWindow() {
    return theWindow().data();
}

} // namespace vitrinex
