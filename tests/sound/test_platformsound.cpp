// The real sound service: what counts as a playable file, the beep fallback, and that nothing it
// meets can throw or hold up the caller. (The test machine has no audio device.)

#include "platform/PlatformSound.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <stdexcept>

using vitrinex::QtSoundService;

namespace {

// A RIFF/WAVE file: a "fmt " chunk with the given fields, then `samples` bytes of silence.
QByteArray wave(quint16 format = 1, quint16 channels = 1, quint32 rate = 8000, quint16 bits = 16,
                int samples = 1600) {
    auto le = [](QByteArray& out, quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
    };
    QByteArray body = "WAVEfmt ";
    le(body, 16, 4);
    le(body, format, 2);
    le(body, channels, 2);
    le(body, rate, 4);
    le(body, rate * channels * (bits / 8), 4);
    le(body, channels * (bits / 8), 2);
    le(body, bits, 2);
    body += "data";
    le(body, quint32(samples), 4);
    body += QByteArray(samples, '\0');
    QByteArray file = "RIFF";
    le(file, quint32(body.size()), 4);
    return file + body;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestPlatformSound : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { startDir_ = QDir::currentPath(); }
    void init() { QDir::setCurrent(startDir_); }

    void playableWaves_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("playable");
        QTest::newRow("16-bit mono") << wave() << true;
        QTest::newRow("8-bit stereo") << wave(1, 2, 11025, 8) << true;
        QTest::newRow("empty data chunk") << wave(1, 1, 8000, 16, 0) << true;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("this is no sound\r\n") << false;
        QTest::newRow("riff without wave") << QByteArray("RIFF\x04\x00\x00\x00AVI ", 12) << false;
        QTest::newRow("cut inside fmt") << wave().left(28) << false;
        QTest::newRow("fmt without data") << wave().left(36) << false;
        QTest::newRow("mp3 inside wav") << wave(0x55) << false;
        QTest::newRow("no channels") << wave(1, 0) << false;
        QTest::newRow("no sample rate") << wave(1, 1, 0) << false;
    }
    void playableWaves() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, playable);
        QTemporaryDir dir;
        const QString path = dir.filePath("sound.qys");
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(QtSoundService::isPlayableWave(path), playable);
    }

    // Every name that is no playable file ends in exactly one beep, synchronously, and nothing is
    // handed to the player.
    void unplayableNamesBeep() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(writeFile("text.qys", "no sound"));
        QVERIFY(QDir().mkdir("folder.qys"));
        int beeps = 0;
        QtSoundService service([&] { ++beeps; });
        const QStringList names = {"v10bp.qys", "text.qys", "folder.qys", "", "no/such/dir/v10up.qys"};
        for (const QString& name : names) {
            const int before = beeps;
            service.playAsync(name);
            QCOMPARE(beeps, before + 1);
            QVERIFY(service.currentFile().isEmpty());
        }
    }

    // A relative name is looked up in the current directory, not beside the program; a second
    // sound replaces the first in the one player.
    void relativeNamesComeFromTheCurrentDirectory() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("run"));
        const QString runDir = QDir(dir.path()).absoluteFilePath("run");
        QVERIFY(writeFile(runDir + "/v10bp.qys", wave()));
        QVERIFY(writeFile(runDir + "/v10op.qys", wave(1, 2, 22050, 16)));
        QVERIFY(QDir::setCurrent(runDir));

        int beeps = 0;
        QtSoundService service([&] { ++beeps; });
        QElapsedTimer clock;
        clock.start();
        service.playAsync("v10bp.qys");
        QCOMPARE(service.currentFile(), runDir + "/v10bp.qys");
        service.playAsync("v10op.qys");
        QCOMPARE(service.currentFile(), runDir + "/v10op.qys");
        // Asynchronous: the calls return long before a sound of any length could have played.
        QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(200);
        QCOMPARE(beeps, 0);

        // From another directory the same names fall back to the beep.
        QVERIFY(QDir::setCurrent(dir.path()));
        service.playAsync("v10bp.qys");
        QCOMPARE(beeps, 1);
    }

    // The service swallows every error, its own fallback's included.
    void errorsNeverEscape() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QtSoundService throwing([] { throw std::runtime_error("no speaker"); });
        throwing.playAsync("v10dt.qys");
        // The real platform beep, with no audio hardware behind it.
        QtSoundService real;
        real.playAsync("v10dt.qys");
        real.playAsync(QString(5000, u'x'));
        QVERIFY(real.currentFile().isEmpty());
    }

private:
    QString startDir_;
};

QTEST_MAIN(TestPlatformSound)
#include "test_platformsound.moc"
