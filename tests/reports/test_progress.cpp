// Long work stopped by its progress: whichever step it stops at, the collection file stays byte for
// byte, no file is left beside it, the generations and the open collection are as they were.
#include "CollectionFixtures.h"
#include "reports/BackupGenerations.h"
#include "reports/CsvFormat.h"
#include "reports/TextExport.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace vitrinex;
using namespace fixtures;

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void cancelLeavesEverythingAsItWas() {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        const QString folder = QDir::currentPath();
        const std::string path = (folder + "/heroes.fcd").toStdString();
        const std::string other = (folder + "/other.fcd").toStdString();
        const std::string csv = (folder + "/rows.csv").toStdString();
        OpenCollection c, shown;
        for (const std::string& file : {other, path}) {
            c.CreateCollection(file, "Heroes", "Kenner", "1985");
            for (int i = 0; i < 300; ++i)
                c.InsertNewItem(item(file + std::to_string(i)));
            c.SaveCollection();
        }
        keepBackupGeneration(c);
        const std::string generation = listGenerations(path).front().path;
        QByteArray rows = "name\r\n";
        for (int i = 0; i < 300; ++i)
            rows += "New " + QByteArray::number(i) + "\r\n";
        writeBytes(csv, rows);

        const auto state = [&] {
            QStringList out = strayFiles(folder, {"heroes.fcd", "other.fcd", "rows.csv"});
            out << QCryptographicHash::hash(readBytes(path), QCryptographicHash::Sha1).toHex()
                << shapeOf(shown);
            for (const Generation& g : listGenerations(path))
                out << QString::fromStdString(g.path);
            return out;
        };
        const std::vector<std::function<void(const Progress&)>> commands = {
            [&](const Progress& p) {
                OpenCollection importing;
                importing.LoadCollection(path);
                importCsv(importing, csv, ExistingRows::Refuse, p);
            },
            [&](const Progress& p) { restoreCollection(path, generation, p); },
            [&](const Progress& p) { writeTextExport(c, p); },
            [&](const Progress& p) { writeCsvExport(c, (folder + "/out.csv").toStdString(), p); },
            [&](const Progress& p) {
                OpenCollection changed;
                changed.LoadCollection(path);
                changed.InsertNewItem(item("Unsaved"));
                changed.SaveCollection(p);
            },
            [&](const Progress& p) {
                shown.LoadCollection(path);
                shown.LoadCollection(other, OpenRule::CollectionsOnly, p);
            },
        };
        for (std::size_t command = 0; command < commands.size(); ++command) {
            // Stopped at the last step (k = 0), then at the first, second, fourth ... until it ends.
            for (int k = 0;; k = k ? 2 * k : 1) {
                if (command == 5) shown.LoadCollection(path);
                const QStringList before = state();
                int calls = 0;
                const Progress stop = [&](std::int64_t done, std::int64_t total) {
                    return k ? ++calls < k : done < total;
                };
                try {
                    commands[command](stop);
                } catch (const ECancelled&) {
                    QVERIFY2(state() == before,
                             qPrintable(QString("command %1, step %2").arg(command).arg(k)));
                    continue;
                }
                if (k) break;
            }
        }
    }
};

QTEST_GUILESS_MAIN(ProgressTest)
#include "test_progress.moc"
