// The change log: every kind of step undone and redone gives the files back byte for byte, a new
// change drops what could be redone, a foreign change is refused, and the log keeps its last steps.

#include "CollectionFixtures.h"
#include "collection/UpdateRecord.h"
#include "model/CollectionSession.h"

#include <QFile>
#include <QImage>
#include <QtTest>

using namespace vitrinex;
using fixtures::item;
using fixtures::readBytes;

namespace {

const std::string kFile = "heroes.fcd";

// The collection file and its photo index (none reads as an empty one), as a step must give them back.
QByteArray state() {
    const QByteArray index = readBytes("heroes.photos/index");
    return readBytes(kFile) + "|" + (index.isEmpty() ? QByteArray("vitrinex-photos 1\n") : index);
}

void writeText(const std::string& path, const QByteArray& text) {
    fixtures::writeBytes(path, text);
}

} // namespace

class ChangeLogTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(QString::fromStdString(kFile));
        QDir("data").removeRecursively();
        QDir("heroes.photos").removeRecursively();
        fixtures::writeCollection(QString::fromStdString(kFile),
                                  {item("Batman"), item("Joker"), item("Robin")});
    }

    // Each step, undone, leaves the files as before it; redone, as after it.
    void eachStepIsUndoneAndRedoneByteForByte() {
        writeText("more.csv", "name,price,quantity\r\nAlfred,$3,1\r\nBatman,$99,2\r\n");
        TUpdateRecord update{};
        update.UpdateCatNum.assign("CAT-5");
        update.UpdatePrice.assign("17.25");
        fixtures::writeBytes("update.dat", QByteArray(reinterpret_cast<const char*>(&update), sizeof update));
        const std::string photo = VITRINEX_ASSETS_DIR "/samples/captain-comet.jpg";
        QImage red(4, 3, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save("red.png"));
        CollectionSession session(CollectionSession::Staleness::ReadAgain);
        session.openPath(kFile);
        QFile::copy(QString::fromStdString(kFile), "heroes.bak");

        const std::vector<std::function<void()>> steps = {
            [&] { QVERIFY(!session.addItem(item("Gamma"))); },
            [&] { session.addPhotos("Joker", {photo}); },
            [&] { QVERIFY(session.deleteItem("Joker")); },
            [&] { session.changeInfo("Villains", "Mattel", "1990-1995"); },
            [&] { session.importCsv("more.csv", ExistingRows::Update); },
            [&] {
                QCOMPARE(session.applyUpdateFile("update.dat").message.value_or(UserMessage{}).text,
                         std::string());
            },
            [&] {
                session.addPhotos("Robin", {photo, "red.png"});
            },
            [&] { session.makeCover("Robin", 1); },
            [&] { session.removePhoto("Robin", 0); },
            [&] { session.restore(kFile, "heroes.bak"); },
        };
        std::vector<QByteArray> states{state()};
        for (const auto& step : steps) {
            step();
            QVERIFY2(state() != states.back(), qPrintable("step " + QString::number(states.size())));
            states.push_back(state());
        }
        QCOMPARE(session.changes().size(), steps.size());
        for (std::size_t i = states.size() - 1; i-- > 0;) {
            session.undo();
            QVERIFY2(state() == states[i], qPrintable("undo to state " + QString::number(i)));
        }
        QVERIFY_THROWS_EXCEPTION(EUndoRefused, session.undo());
        for (std::size_t i = 1; i < states.size(); ++i) {
            session.redo();
            QVERIFY2(state() == states[i], qPrintable("redo to state " + QString::number(i)));
        }
        // A fresh session reads the same log: the newest step undone once more.
        CollectionSession later(CollectionSession::Staleness::ReadAgain);
        later.openPath(kFile);
        later.undo();
        QCOMPARE(state(), states[states.size() - 2]);
    }

    // An undo is one step back; a new change after it drops what could have been redone.
    void aNewChangeDropsTheRedo() {
        CollectionSession session(CollectionSession::Staleness::ReadAgain);
        session.openPath(kFile);
        QVERIFY(session.deleteItem("Robin"));
        QCOMPARE(session.undo(), std::string("delete Robin"));
        QVERIFY(!session.addItem(item("Gamma")));
        QVERIFY_THROWS_EXCEPTION(EUndoRefused, session.redo());
        const std::vector<LoggedStep> steps = session.changes();
        QCOMPARE(steps.size(), std::size_t(1));
        QCOMPARE(steps[0].items, 1);
    }

    // A file changed by something that keeps no log (a copy put back by hand) is left as it is.
    void aForeignChangeIsRefused() {
        const QByteArray original = readBytes(kFile);
        {
            CollectionSession session(CollectionSession::Staleness::ReadAgain);
            session.openPath(kFile);
            QVERIFY(session.deleteItem("Batman"));
        }
        QFile::remove(QString::fromStdString(kFile));
        fixtures::writeBytes(kFile, original);
        CollectionSession session(CollectionSession::Staleness::ReadAgain);
        session.openPath(kFile);
        QVERIFY_THROWS_EXCEPTION(EUndoRefused, session.undo());
        QCOMPARE(readBytes(kFile), original);
        QCOMPARE(session.collection().totals().ItemCount, 3);
    }

    // The log keeps its last 200 steps, the newest ones.
    void theLogKeepsItsLastSteps() {
        CollectionSession session(CollectionSession::Staleness::ReadAgain);
        session.openPath(kFile);
        for (int i = 0; i < 205; ++i)
            QVERIFY(!session.addItem(item("Item " + std::to_string(i))));
        const std::vector<LoggedStep> steps = session.changes();
        QCOMPARE(steps.size(), ChangeLog::kStepsKept);
        QCOMPARE(steps.back().text, std::string("add Item 204"));
    }
};

QTEST_GUILESS_MAIN(ChangeLogTest)
#include "test_changelog.moc"
