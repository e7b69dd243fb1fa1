// The file-dialog seam: filters in the program's form, the default extension, and scripted answers.

#include "platform/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

using vitrinex::FileDialogRequest;
using vitrinex::FileDialogs;

namespace {

const QString kOpenFilter =
    "figure collector document (*.fcd)|*.fcd|backup document (*.bak)|*.bak|All Files (*.*)|*.*";

} // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { FileDialogs::setAnswerForTesting({}); }

    void filtersConvert_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& filter, const QString& expected) {
            QTest::newRow(name) << filter << expected;
        };
        row("open dialog", kOpenFilter,
            "figure collector document (*.fcd);;backup document (*.bak);;All Files (*)");
        row("description without patterns", "figure collector document|*.fcd",
            "figure collector document (*.fcd)");
        row("several patterns", "collections (*.fcd;*.bak)|*.fcd;*.bak", "collections (*.fcd *.bak)");
        row("description shows other patterns", "documents (*.doc)|*.fcd", "documents (*.fcd)");
        row("description missing", "|*.fcd", "*.fcd (*.fcd)");
        row("dangling description", "figure collector document (*.fcd)|*.fcd|orphan",
            "figure collector document (*.fcd)");
        row("pair without pattern", "nothing||text|*.txt", "text (*.txt)");
        row("empty", "", "");
    }
    void filtersConvert() {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(FileDialogs::toQtFilter(filter), expected);
    }

    void defaultExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const QString& file, const QString& extension,
                      const QString& expected) { QTest::newRow(name) << file << extension << expected; };
        row("no extension", "/home/ann/figures", "fcd", "/home/ann/figures.fcd");
        row("has extension", "/home/ann/figures.bak", "fcd", "/home/ann/figures.bak");
        row("dot only in folder", "/home/ann.b/figures", "fcd", "/home/ann.b/figures.fcd");
        row("extension given with dot", "untitled", ".fcd", "untitled.fcd");
        row("cancelled stays empty", "", "fcd", "");
        row("no default extension", "/tmp/figures", "", "/tmp/figures");
        row("folder", "/tmp/", "fcd", "/tmp/");
    }
    void defaultExtension() {
        QFETCH(QString, name);
        QFETCH(QString, extension);
        QFETCH(QString, expected);
        QCOMPARE(FileDialogs::withDefaultExtension(name, extension), expected);
    }

    // A scripted answer sees the request as the program made it, and its answer goes through the
    // same rules as a real dialog's.
    void scriptedSave() {
        QList<FileDialogRequest> requests;
        QWidget owner;
        FileDialogs::setAnswerForTesting([&](const FileDialogRequest& r) {
            requests.append(r);
            return QStringLiteral("/tmp/new figures");
        });
        QCOMPARE(FileDialogs::getSaveFileName(&owner, "fcd", "figure collector document|*.fcd", "untitled"),
                 QString("/tmp/new figures.fcd"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].kind, FileDialogRequest::Kind::Save);
        QCOMPARE(requests[0].parent, &owner);
        QCOMPARE(requests[0].defaultExtension, QString("fcd"));
        QCOMPARE(requests[0].filter, QString("figure collector document|*.fcd"));
        QCOMPARE(requests[0].proposedName, QString("untitled"));
    }

    void cancelGivesAnEmptyName() {
        FileDialogs::setAnswerForTesting([](const FileDialogRequest&) { return QString(); });
        QVERIFY(FileDialogs::getOpenFileName(nullptr, "fcd", kOpenFilter).isEmpty());
        QVERIFY(FileDialogs::getSaveFileName(nullptr, "fcd", kOpenFilter, "untitled").isEmpty());
    }

    // Opening a file that exists under a name without extension (a backup named "bak") opens that
    // very file; a name that does not exist gets the default extension.
    void openKeepsExistingFilesWithoutExtension() {
        QTemporaryDir dir;
        const QString bak = dir.filePath("bak");
        {
            QFile f(bak);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QString answer;
        FileDialogs::setAnswerForTesting([&](const FileDialogRequest& r) {
            return r.kind == FileDialogRequest::Kind::Open ? answer : QString();
        });
        answer = bak;
        QCOMPARE(FileDialogs::getOpenFileName(nullptr, "fcd", kOpenFilter), bak);
        answer = dir.filePath("figures");
        QCOMPARE(FileDialogs::getOpenFileName(nullptr, "fcd", kOpenFilter), dir.filePath("figures.fcd"));
        answer = dir.filePath("figures.bak");
        QCOMPARE(FileDialogs::getOpenFileName(nullptr, "fcd", kOpenFilter), dir.filePath("figures.bak"));
    }

    // The real dialog gets the converted filter, the default suffix and the proposed name; closed
    // without a choice it answers "cancelled".
    void realDialogIsConfigured() {
        QTemporaryDir dir;
        bool seen = false, saving = false;
        QString filters, suffix, proposed;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            seen = true;
            filters = d->nameFilters().join(";;");
            suffix = d->defaultSuffix();
            saving = d->acceptMode() == QFileDialog::AcceptSave;
            proposed = d->selectedFiles().value(0);
            d->reject();
        });
        poll.start();
        const QString result = FileDialogs::getSaveFileName(nullptr, "fcd", "figure collector document|*.fcd",
                                                            dir.filePath("untitled"));
        poll.stop();
        QVERIFY(seen);
        QVERIFY(result.isEmpty());
        QCOMPARE(filters, QString("figure collector document (*.fcd)"));
        QCOMPARE(suffix, QString("fcd"));
        // Accepted as proposed, the name would already carry the extension.
        QCOMPARE(proposed, dir.filePath("untitled.fcd"));
        QVERIFY(saving);
    }
};

QTEST_MAIN(TestFileDialogs)
#include "test_filedialogs.moc"
