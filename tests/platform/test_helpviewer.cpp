// The help window: which files it shows, how it reports the ones it cannot, the one window it keeps,
// and the shipped help page itself.

#include "platform/HelpViewer.h"

#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

using vitrinex::helpWindow;
using vitrinex::showHelpContents;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString shownText() {
    return helpWindow() ? helpWindow()->browser()->toPlainText() : QString();
}

// A page long enough to scroll.
QByteArray longPage(const QByteArray& heading) {
    QByteArray page = "<html><body><h1>" + heading + "</h1>";
    for (int i = 0; i < 300; ++i)
        page += "<p>line " + QByteArray::number(i) + "</p>";
    return page + "</body></html>";
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(QDir::setCurrent(dir_.path())); }

    // Runs first: a failure must not leave a window behind.
    void missingFileReportsFailure() {
        QVERIFY(!showHelpContents("Help.hlp"));
        QVERIFY(!showHelpContents(dir_.filePath("nowhere/Help.hlp")));
        QVERIFY(!showHelpContents(QString()));
        QVERIFY(QDir().mkpath("Folder.hlp"));
        QVERIFY(!showHelpContents("Folder.hlp"));
        QCOMPARE(helpWindow(), nullptr);
    }

    void damagedFilesReportFailure_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not utf-8") << QByteArray("<p>\xff\xfe\xfd garbage \xc3</p>");
        QTest::newRow("nul inside") << QByteArray("<p>help\0more</p>", 16);
        QTest::newRow("too large") << QByteArray(8 * 1024 * 1024 + 1, 'x');
    }
    void damagedFilesReportFailure() {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile("Damaged.hlp", bytes));
        QVERIFY(!showHelpContents("Damaged.hlp"));
        QCOMPARE(helpWindow(), nullptr);
    }

    // A relative name comes from the current directory; the window shows the page from its start.
    void showsTheFileInItsWindow() {
        QVERIFY(
            writeFile("Help.hlp",
                      "<html><body><h1>Getting started</h1><p>Right-click for the menu.</p></body></html>"));
        QVERIFY(showHelpContents("Help.hlp"));
        vitrinex::HelpWindow* window = helpWindow();
        QVERIFY(window && window->isVisible() && window->isWindow());
        QCOMPARE(window->windowTitle(), QString("Vitrinex 1.4 help"));
        QVERIFY(shownText().contains("Getting started"));
        QVERIFY(shownText().contains("Right-click for the menu."));
    }

    // Repeated requests reuse the one window: shown again, unminimised, at the new page's start.
    void oneWindowIsReused() {
        QVERIFY(writeFile("Help.hlp", longPage("First page")));
        QVERIFY(showHelpContents("Help.hlp"));
        vitrinex::HelpWindow* window = helpWindow();
        QVERIFY(window);
        QScrollBar* bar = window->browser()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());

        window->hide();
        QVERIFY(writeFile(dir_.filePath("Other.hlp"), longPage("Second page")));
        QVERIFY(showHelpContents(dir_.filePath("Other.hlp")));
        QCOMPARE(helpWindow(), window);
        QVERIFY(window->isVisible());
        QVERIFY(shownText().startsWith("Second page"));
        QCOMPARE(bar->value(), 0);

        window->showMinimized();
        QVERIFY(showHelpContents("Help.hlp"));
        QCOMPARE(helpWindow(), window);
        QVERIFY(!window->isMinimized());
        QVERIFY(shownText().startsWith("First page"));

        // A failed request leaves the window showing what it showed.
        QVERIFY(!showHelpContents("Gone.hlp"));
        QCOMPARE(helpWindow(), window);
        QVERIFY(shownText().startsWith("First page"));

        // Closing the window drops it; the next request builds a new one.
        QPointer<vitrinex::HelpWindow> closed = window;
        closed->close();
        QTRY_VERIFY(closed.isNull());
        QCOMPARE(helpWindow(), nullptr);
        QVERIFY(showHelpContents("Help.hlp"));
        QVERIFY(helpWindow() && helpWindow()->isVisible());
    }

    // A page that names another encoding is read in it.
    void declaredEncodingIsHonoured() {
        QVERIFY(writeFile("Latin.hlp",
                          "<html><head><meta charset=\"iso-8859-1\"></head><body>caf\xe9</body></html>"));
        QVERIFY(showHelpContents("Latin.hlp"));
        QVERIFY(shownText().contains(QString::fromUtf8("caf\u00e9")));
    }

    // The help page that ships with the program: it loads, and every link of its contents leads to
    // a place in the page.
    void shippedHelpPage() {
        const QString shipped = QStringLiteral(VITRINEX_HELP_FILE);
        QVERIFY(showHelpContents(shipped));
        QTextDocument* doc = helpWindow()->browser()->document();
        QSet<QString> anchors;
        QStringList links;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat format = it.fragment().charFormat();
                for (const QString& name : format.anchorNames())
                    anchors.insert(name);
                if (format.isAnchor() && !format.anchorHref().isEmpty()) links.append(format.anchorHref());
            }
        }
        QVERIFY(links.size() >= 12);
        for (const QString& link : links) {
            QVERIFY2(link.startsWith(u'#'), qPrintable(link));
            QVERIFY2(anchors.contains(link.mid(1)), qPrintable("no target for " + link));
        }
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(TestHelpViewer)
#include "test_helpviewer.moc"
