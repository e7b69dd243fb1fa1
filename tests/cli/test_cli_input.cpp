// vitrinex-cli's input rules: the command line as options and values, values that do not fit their
// field or are no Windows-1252 text, output that cannot be written, errors against the right file,
// and random option values held against what the add dialog's rules store.
#include "CliRunner.h"
#include "CollectionFixtures.h"
#include "collection/ItemEntry.h"
#include "collection/Win1252.h"

#include <QtTest>

#include <random>

using namespace vitrinex::testing;

using namespace fixtures;
using namespace vitrinex;

class CliInputTest : public QObject {
    Q_OBJECT

    CliRun cli(const QStringList& args, const QString& outFile = {}) {
        CliOptions o;
        o.outFile = outFile;
        return runCli(args, o);
    }
    // `args` followed by one argument made of `prefix` and the bytes of `value` (no UTF-8 needed).
    CliRun cliBytes(const QStringList& args, const QString& prefix, const std::string& value) {
        QString octal;
        for (const unsigned char b : value)
            octal += QString("\\0%1").arg(b, 3, 8, QChar('0'));
        return runProgram(
            "sh", QStringList{"-c", "v=$(printf '%bx' \"$1\"); p=$2; shift 2; exec \"$@\" \"$p${v%x}\"", "sh",
                              octal, prefix, VITRINEX_CLI} +
                      args);
    }
    std::string heroes() {
        QFile::remove("heroes.fcd");
        OpenCollection().CreateCollection("heroes.fcd", "Heroes", "Kenner", "1985-1990");
        return "heroes.fcd";
    }

    // What the add dialog stores when `value` is typed into the field of `option` and the other
    // fields hold a name, a year and a quantity; nothing when it cannot be typed or is refused.
    std::optional<TFigureRecord> dialogStores(const QString& option, const std::string& value) {
        ItemEntry entry;
        entry.putField(EntryField::Name, "Item");
        entry.putField(EntryField::Year, "1990");
        entry.putField(EntryField::Quantity, "1");
        const QString text = QString::fromUtf8(value);
        if (option == "price" || option == "netchange") {
            const EntryField field = option == "price" ? EntryField::Price : EntryField::NetChange;
            MaskedText mask = MaskedText::forKind(ItemEntry::maskOf(field));
            if (!mask.typeFromStart(text)) return std::nullopt;
            (field == EntryField::Price ? entry.Fields.Price : entry.Fields.NetChange) = mask.text();
        } else {
            entry.putField(option == "name"     ? EntryField::Name
                           : option == "series" ? EntryField::Series
                                                : EntryField::CatNum,
                           text);
        }
        OpenCollection c;
        c.CreateCollection("dialog.fcd", "Heroes", "Kenner", "1985-1990");
        const AddSaveOutcome outcome = entry.AddSave(c);
        if (!outcome.acted || outcome.message) return std::nullopt;
        c.ReloadCollection();
        if (c.totals().ItemCount != 1) return std::nullopt; // the name " " is never written
        return c.ItemTree()->Record;
    }

private slots:
    void optionsAndValuesAreTold() {
        const std::string f = heroes();
        const QString file = QString::fromStdString(f);
        CliRun r;
        for (const QStringList& wrong :
             {QStringList{"--name", "--price", "5"}, QStringList{"-name", "-price", "5"}}) {
            r = cli(QStringList{"add", file} + wrong);
            QCOMPARE(r.status, 1);
            QVERIFY2(r.err.startsWith("vitrinex-cli: --name needs a value"), r.err);
        }
        QCOMPARE(cli({"add", file, "--name=--price", "--price=$5"}).status, 0);
        QCOMPARE(cli({"add", file, "--", "--name"}).status, 1); // after "--" an option is an argument
        OpenCollection c;
        c.LoadCollection(f);
        QCOMPARE(c.itemList().names(), std::vector<std::string>{"--price"});
        for (const QStringList& help : {QStringList{"--help"}, QStringList{"add", "--help"}}) {
            r = cli(help);
            QCOMPARE(r.status, 0);
            QVERIFY(r.out.contains("vitrinex-cli add FILE --name N"));
        }
        r = cli({"stats", file, "--version"});
        QCOMPARE(r.status, 0);
        QVERIFY(QRegularExpression("^vitrinex-cli \\d+\\.\\d+\\n$").match(QString(r.out)).hasMatch());
    }

    void valuesThatDoNotFitOrAreNoTextAreRefused_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("error");
        QTest::newRow("10 digits") << "price" << QByteArray("$1000000000") << "--price '$1000000000' cannot";
        QTest::newRow("3 decimals") << "price" << QByteArray("$12345.678") << "--price '$12345.678' cannot";
        QTest::newRow("5 digits") << "netchange" << QByteArray("$-12345") << "--netchange '$-12345' cannot";
        QTest::newRow("exponent") << "price" << QByteArray("1e400")
                                  << "--price: $1e400   is an invalid price!";
        QTest::newRow("sign first") << "price" << QByteArray("-$5") << "--price: $-$5     is an invalid";
        QTest::newRow("huge") << "price" << QByteArray("$1e4932") << "--price: $1e4932  is an invalid";
        QTest::newRow("catalog #") << "catnum" << QByteArray("ABCDEFGHIJ") << "--catnum takes at most 9";
        QTest::newRow("CR LF at 256") << "comments" << QByteArray(254, 'c') + "\n"
                                      << "--comments takes at most 255";
        QTest::newRow("overlong") << "name" << QByteArray("\xc0\xae") << "--name is not valid UTF-8";
        QTest::newRow("surrogate") << "series" << QByteArray("\xed\xa0\x80") << "--series is not valid UTF-8";
        QTest::newRow("cut short") << "name" << QByteArray("D\xe2\x82") << "--name is not valid UTF-8";
        QTest::newRow("not 1252") << "name" << QByteArray("\xce\xa9") << "--name holds a character";
    }
    void valuesThatDoNotFitOrAreNoTextAreRefused() {
        QFETCH(QString, option);
        QFETCH(QByteArray, value);
        QFETCH(QString, error);
        const std::string f = heroes();
        const QStringList args = {"add", QString::fromStdString(f), "--name", "Robin"};
        for (const QStringList& form :
             {args, args + QStringList{"--as-typed", "--quantity", "1", "--year", "1"}}) {
            const CliRun r = cliBytes(option == "name" ? form.mid(0, 2) + form.mid(4) : form,
                                      "--" + option + "=", value.toStdString());
            QCOMPARE(r.status, 1);
            // As typed, the dialog's own refusals read as the dialog shows them.
            if (form == args || !error.contains("is an invalid"))
                QVERIFY2(r.err.startsWith("vitrinex-cli: " + error.toUtf8()), r.err);
            QCOMPARE(QFileInfo(QString::fromStdString(f)).size(), 1324);
        }
    }

    void unwritableOutputAndMissingFilesAreErrors() {
        const QString f = QString::fromStdString(heroes());
        for (const char* command : {"show", "stats"}) {
            const CliRun r = cli({command, f}, "/dev/full");
            QCOMPARE(r.status, 1);
            QCOMPARE(r.err, QByteArray("vitrinex-cli: standard output: Disk full\n"));
        }
        for (const QStringList& args :
             {QStringList{"add", "--as-typed", "--name", "X", "missing.fcd"},
              QStringList{"edit", "missing.fcd", "X", "--as-typed"}, QStringList{"find", "missing.fcd", "X"},
              QStringList{"export", "missing.fcd"}, QStringList{"backup", "missing.fcd"},
              QStringList{"apply", "missing.fcd", "update.dat"}})
            QCOMPARE(cli(args).err, QByteArray("vitrinex-cli: missing.fcd: File not found\n"));
        writeBytes("odd.fcd", fileImage(blankCollectionHeader(),
                                        {record(std::string("a\0b\nc\r", 7), "$1e39"), record("b")}));
        const CliRun r = cli({"stats", "odd.fcd"});
        QCOMPARE(r.status, 0); // the record is set aside, and the notice is one line
        QCOMPARE(r.err.count('\n'), 1);
        const CliRun check = cli({"check", "odd.fcd"});
        QVERIFY2(check.out.contains("a\\\\0b\\\\nc\\\\r") && check.out.contains("$1e39"), check.out);
    }

    // Random bytes, overlong forms and edge amounts as option values: what `add` stores is what
    // the dialog stores (amounts compared without their alignment blanks), or `add` refuses.
    void addStoresWhatTheDialogWould() {
        const std::vector<std::string> edges = {"$9999999",
                                                "$0000000",
                                                "$.",
                                                "$.5",
                                                "$0.",
                                                "$-0",
                                                "$+5",
                                                "$ - 5",
                                                "$1e38",
                                                "$-",
                                                "",
                                                "$",
                                                "$ 1 2 3",
                                                "$1.2.3",
                                                "\xc0\xb5",
                                                "$\xc0\xb5",
                                                "$1\xa0",
                                                "$\xef\xbc\x95",
                                                "$+9999",
                                                "$-9999",
                                                "-5",
                                                "$5-",
                                                "\xe2\x82\xac",
                                                " ",
                                                "a\r\nb",
                                                "$12.50 "};
        const QStringList options = {"price", "netchange", "name", "series", "catnum"};
        const std::string pool = "$$$..--++  0123456789eE,a\r\n\x7f\x80\x81\xa0\xc0\xc3\xe2\xed\xef\xf4\xff";
        std::mt19937 rng(20261208);
        int accepted = 0;
        const int cases = 300;
        for (int i = 0; i < cases; ++i) {
            const QString option = options[i % options.size()];
            std::string value;
            if (i < int(edges.size()) * 2) {
                value = edges[i / 2];
            } else {
                for (int n = rng() % 10; n > 0; --n)
                    value += pool[rng() % pool.size()];
            }
            const std::string f = heroes();
            const QStringList others = option == "name" ? QStringList{} : QStringList{"--name", "Item"};
            // A value that begins with "--" can only be given after "=".
            const bool joined = value.rfind("--", 0) == 0;
            const CliRun r = cliBytes(QStringList{"add", QString::fromStdString(f), "--year", "1990"} +
                                          others + (joined ? QStringList{} : QStringList{"--" + option}),
                                      joined ? "--" + option + "=" : QString(), value);
            const std::optional<TFigureRecord> dialog = dialogStores(option, value);
            const QByteArray what =
                option.toUtf8() + " " + QByteArray::fromStdString(value).toHex() + ": " + r.err;
            if (r.status != 0) {
                QVERIFY2(r.status == 1 && r.err.startsWith("vitrinex-cli: "), what);
                QCOMPARE(QFileInfo(QString::fromStdString(f)).size(), 1324);
                continue;
            }
            ++accepted;
            QVERIFY2(dialog, what);
            OpenCollection c;
            c.LoadCollection(f);
            const TFigureRecord& stored = c.ItemTree()->Record;
            const auto unaligned = [](std::string_view text) {
                return QString::fromLatin1(text).remove(' ');
            };
            QCOMPARE(unaligned(stored.Price.view()), unaligned(dialog->Price.view()));
            QCOMPARE(unaligned(stored.NetChange.view()), unaligned(dialog->NetChange.view()));
            QVERIFY2(stored.FigureName.view() == dialog->FigureName.view(), what);
            QVERIFY2(stored.Series.view() == dialog->Series.view(), what);
            QVERIFY2(stored.CatNum.view() == dialog->CatNum.view(), what);
        }
        QVERIFY2(accepted > cases / 4, qPrintable(QString::number(accepted)));
    }
};

QTEST_GUILESS_MAIN(CliInputTest)
#include "test_cli_input.moc"
