// The session's own rules: one locking policy for the window and the command line, and one
// announcement for each change that changed something.

#include "CollectionFixtures.h"
#include "model/CollectionSession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace vitrinex;
using fixtures::item;

namespace {

QStringList names(const OpenCollection& c) {
    QStringList out;
    for (int i = 0; i < c.itemList().size(); ++i)
        out << QString::fromStdString(c.itemList().at(i));
    return out;
}

} // namespace

class CollectionSessionTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        path_ = dir_.filePath("heroes.fcd");
        fixtures::writeCollection(path_, {item("Batman"), item("Robin")});
    }

    void eachSessionMeetsAChangeElsewhereByItsPolicy() {
        CollectionSession command(CollectionSession::Staleness::ReadAgain);
        CollectionSession window(CollectionSession::Staleness::Refuse);
        command.open(path_);
        window.open(path_);
        fixtures::writeCollection(path_, {item("Batman"), item("Joker")}); // another program

        // The command line makes its change on the file as it is now.
        QSignalSpy commandChanged(&command, &CollectionSession::itemsChanged);
        QVERIFY(!command.addItem(item("Alfred")));
        QCOMPARE(commandChanged.size(), 1);
        QCOMPARE(names(command.collection()), (QStringList{"Alfred", "Batman", "Joker"}));

        // The window drops its change and shows the file as it was left.
        const QByteArray left = fixtures::readBytes(path_.toStdString());
        QSignalSpy windowReloaded(&window, &CollectionSession::reloaded);
        QVERIFY_THROWS_EXCEPTION(EChangedElsewhere, window.addItem(item("Penguin")));
        QCOMPARE(fixtures::readBytes(path_.toStdString()), left);
        QCOMPARE(windowReloaded.size(), 1);
        QCOMPARE(names(window.collection()), (QStringList{"Alfred", "Batman", "Joker"}));
    }

    void onlyAChangeThatChangedSomethingIsAnnounced() {
        CollectionSession session;
        session.open(path_);
        QSignalSpy changed(&session, &CollectionSession::itemsChanged);
        const QByteArray before = fixtures::readBytes(path_.toStdString());
        QVERIFY(session.addItem(item("Robin")).has_value()); // the name is taken
        QVERIFY(!session.deleteItem("Nobody"));
        QCOMPARE(changed.size(), 0);
        QCOMPARE(fixtures::readBytes(path_.toStdString()), before);

        QVERIFY(session.deleteItem("Robin"));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(names(session.collection()), QStringList{"Batman"});
    }

private:
    QTemporaryDir dir_;
    QString path_;
};

QTEST_GUILESS_MAIN(CollectionSessionTest)
#include "test_collectionsession.moc"
