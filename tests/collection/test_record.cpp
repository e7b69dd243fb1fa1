// The record codec, the 6-byte real, amount texts, name keys and Windows-1252 texts.
#include "collection/FigureRecord.h"
#include "collection/Real48.h"
#include "collection/Win1252.h"

#include <QtTest>
#include <charconv>
#include <cmath>
#include <limits>
#include <random>

using namespace vitrinex;

class RecordTest : public QObject {
    Q_OBJECT
private slots:
    void real48RoundingShowsInAmounts() {
        // The figures a collector sees in captions and statistics.
        QCOMPARE(formatAmount(roundToReal48(12.99L)), std::string("12.9900000000052"));
        QCOMPARE(formatAmount(roundToReal48(roundToReal48(19.99L) - roundToReal48(14.99L))),
                 std::string("4.99999999998545"));
        QCOMPARE(formatAmount(roundToReal48(0 + 12.99L * 3)), std::string("38.9699999999721"));
        QCOMPARE(formatAmount(roundToReal48(roundToReal48(12.99L) * 3)), std::string("38.9700000000303"));
        // Exactly representable values come back as written.
        QCOMPARE(formatAmount(roundToReal48(2.5L)), std::string("2.5"));
        QCOMPARE(formatAmount(roundToReal48(7.25L)), std::string("7.25"));
        // Ties go to the even significand: 1 + 2^-40 lies halfway between 1 and 1 + 2^-39.
        QCOMPARE(roundToReal48(1.0L + std::ldexp(1.0L, -40)), 1.0L);
        QCOMPARE(roundToReal48(1.0L + 3 * std::ldexp(1.0L, -40)), 1.0L + std::ldexp(1.0L, -38));
        QCOMPARE(roundToReal48(std::ldexp(1.0L, -140)), 0.0L);
    }

    void amountTextGeneralFormat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("fraction") << 37.5 << "37.5";
        QTest::newRow("whole") << 40.0 << "40";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative") << -5.0 << "-5";
        QTest::newRow("smallest fixed") << 0.00001 << "0.00001";
        QTest::newRow("below fixed") << 0.0000015 << "1.5E-6";
        QTest::newRow("15 integer digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("16 integer digits") << 1e15 << "1E15";
        QTest::newRow("large") << 1e20 << "1E20";
        QTest::newRow("rounded to 15 digits") << 0.1 + 0.2 << "0.3";
    }
    void amountTextGeneralFormat() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(formatAmount(value)), text);
    }

    void amountValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("value");
        QTest::newRow("dialog price") << "$  12.50" << true << 12.5;
        QTest::newRow("update price") << "$12.5" << true << 12.5;
        QTest::newRow("reset price") << "$     0 " << true << 0.0;
        QTest::newRow("net change") << "$  -5" << true << -5.0;
        QTest::newRow("plus sign") << "$+3" << true << 3.0;
        QTest::newRow("no dollar") << " 7 " << true << 7.0;
        QTest::newRow("second dollar kept") << "$$5" << false << 0.0;
        QTest::newRow("blank") << "$       " << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("letters") << "$abc" << false << 0.0;
        QTest::newRow("two points") << "$1.2.3" << false << 0.0;
        QTest::newRow("inner blank") << "$1 2" << false << 0.0;
        QTest::newRow("bare exponent") << "$1e" << false << 0.0;
        QTest::newRow("exponent") << "$1e2" << true << 100.0;
        QTest::newRow("infinity word") << "$inf" << false << 0.0;
        QTest::newRow("point only") << "$." << false << 0.0;
        QTest::newRow("overflow") << "$1e99999" << false << 0.0;
    }
    void amountValues() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, value);
        long double parsed = -1;
        QCOMPARE(amountValue(text.toStdString(), parsed), valid);
        if (valid) QCOMPARE(static_cast<double>(parsed), value);
    }

    // Short decimals take a quicker way than long ones or exponents; both must give the same value
    // the full conversion gives.
    void amountValuesMatchTheFullConversion() {
        std::mt19937_64 random(3);
        for (int i = 0; i < 20000; ++i) {
            std::string number = std::to_string(random() >> (random() % 64));
            const std::size_t point = random() % (number.size() + 1);
            if (point < number.size())
                number = number.substr(0, number.size() - point) + "." + number.substr(number.size() - point);
            if (random() % 3 == 0) number = "-" + number;
            long double expected = 0, parsed = -1;
            std::from_chars(number.data(), number.data() + number.size(), expected);
            QVERIFY(amountValue("$ " + number, parsed));
            QVERIFY2(parsed == expected, number.c_str());
        }
    }

    // Rounding to 40 bits: ties go to the even significand, a carry moves to the next power of two,
    // the sign plays no part.
    void real48RoundingEdges() {
        QCOMPARE(roundToReal48(2.0L - std::ldexp(1.0L, -41)), 2.0L);
        QCOMPARE(roundToReal48(-(1.0L + 3 * std::ldexp(1.0L, -40))), -(1.0L + std::ldexp(1.0L, -38)));
        QCOMPARE(roundToReal48(std::ldexp(1.0L, -128)), std::ldexp(1.0L, -128));
        QCOMPARE(roundToReal48(std::ldexp(1.5L, -129)), 0.0L);
        std::mt19937_64 random(5);
        for (int i = 0; i < 20000; ++i) {
            const long double v =
                std::ldexp(static_cast<long double>(random()), static_cast<int>(random() % 200) - 150);
            int e = 0;
            const long double m = std::frexp(v, &e);
            const long double expected =
                e < -127 ? 0.0L : std::ldexp(std::nearbyint(std::ldexp(m, 40)), e - 40);
            QCOMPARE(roundToReal48(v), expected);
            QCOMPARE(roundToReal48(-v), -expected);
        }
        QVERIFY(std::isinf(roundToReal48(std::numeric_limits<long double>::infinity())));
        QVERIFY(roundToReal48(12.99L) != 12.99L);
    }

    void recordLayoutIsExactToTheByte() {
        TFigureRecord r = blankFigureRecord();
        r.FigureName.assign("Batmobile");
        r.Price.assign("$  12.50");
        r.NetChange.assign("$  -5");
        r.Quantity = 0x01020304;
        r.Comments.assign(std::string(300, 'c')); // cut to its capacity
        const auto* bytes = reinterpret_cast<const unsigned char*>(&r);
        QCOMPARE(int(bytes[0]), 9);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes + 1), 9), QByteArray("Batmobile"));
        QCOMPARE(int(bytes[1024]), 8);
        QCOMPARE(int(bytes[1025]), int('$'));
        QCOMPARE(int(bytes[1033]), 5);
        QCOMPARE(int(bytes[1040]), 4); // little-endian quantity
        QCOMPARE(int(bytes[1043]), 1);
        QCOMPARE(int(bytes[1060]), 255); // a 255-character comment fills its field...
        QCOMPARE(int(bytes[1315]), int('c'));
        QCOMPARE(int(bytes[1316]), 0); // ...and the link bytes follow at 1316
    }

    void lengthByteAboveCapacityStaysInsideTheField() {
        TFigureRecord r = blankFigureRecord();
        r.Price.assign("$1");
        r.Price.length = 200; // damaged
        r.NetChange.assign("$2");
        QCOMPARE(r.Price.view().size(), std::size_t(8));
        QVERIFY(r.Price.view().data() + r.Price.view().size() <= reinterpret_cast<const char*>(&r.NetChange));
        r.Condition.length = 255;
        QCOMPARE(r.Condition.view().size(), std::size_t(5));
    }

    void deletedRecords() {
        TFigureRecord r = blankFigureRecord();
        r.FigureName.assign("Robin");
        r.Quantity = 2;
        QVERIFY(!isDeletedRecord(r));
        r.Quantity = 0;
        QVERIFY(isDeletedRecord(r));
        r.Quantity = 1;
        r.FigureName.assign(" ");
        QVERIFY(isDeletedRecord(r));
        r.FigureName.assign("  ");
        QVERIFY(!isDeletedRecord(r));
    }

    void nameKeysChangeOnlyAsciiLetters() {
        QCOMPARE(nameKey("batman 2"), std::string("BATMAN 2"));
        const std::string accented = "\xe9mile"; // émile in Windows-1252
        QCOMPARE(nameKey(accented), std::string("\xe9MILE"));
        QVERIFY(compareNameKeys("batman", "BATMAN") == 0);
        QVERIFY(compareNameKeys("\xe9mile", "\xc9mile") != 0); // é and É are different items
        QVERIFY(compareNameKeys("bat", "batman") < 0);         // a prefix sorts first
        QVERIFY(compareNameKeys("Zorro", "\xe9mile") < 0);     // bytes compare unsigned
        QVERIFY(compareNameKeys("a_", "AB") > 0);              // '_' (95) sorts after 'B' (66)
        // Long names are compared eight bytes at a time: the order must stay that of the keys.
        std::mt19937 random(9);
        const char alphabet[] = {'a', 'A', 'z',    'Z',    '`',    '{',    '@',
                                 '[', ' ', '\xe1', '\xc1', '\xfa', '\x7f', '\x80'};
        for (int i = 0; i < 20000; ++i) {
            std::string x(random() % 24, 'q'), y;
            for (char& c : x)
                c = alphabet[random() % std::size(alphabet)];
            y = x.substr(0, random() % (x.size() + 1));
            for (std::size_t k = random() % 12; k > 0; --k)
                y += alphabet[random() % std::size(alphabet)];
            const int expected = nameKey(x).compare(nameKey(y));
            const int order = compareNameKeys(x, y);
            QVERIFY(((order > 0) - (order < 0)) == ((expected > 0) - (expected < 0)));
        }
    }

    void windows1252Conversion() {
        const std::string bytes = "\x80 caf\xe9 \x93quoted\x94 \x81";
        const std::string utf8 = win1252ToUtf8(bytes);
        QCOMPARE(QString::fromStdString(utf8),
                 QString::fromUtf8("\u20ac caf\u00e9 \u201cquoted\u201d \u0081"));
        QCOMPARE(utf8ToWin1252(utf8), bytes);
        QCOMPARE(fromQString(toQString(bytes)), bytes);
        QCOMPARE(utf8ToWin1252("\xe6\x97\xa5 ok"), std::string("? ok"));       // not in the code page
        QCOMPARE(utf8ToWin1252("\xff\xc3"), std::string("??"));                // broken UTF-8
        QCOMPARE(utf8ToWin1252("\xc0\xae\xed\xa0\x80"), std::string("?????")); // overlong '.', a surrogate
        std::string exact;
        QCOMPARE(utf8ToWin1252Exact("\xe2\x82\xac", exact), TextRefusal::None);
        QCOMPARE(exact, std::string("\x80"));
        QCOMPARE(utf8ToWin1252Exact("a\xe0\x80\xaf", exact), TextRefusal::NotUtf8);    // overlong '/'
        QCOMPARE(utf8ToWin1252Exact("\xf4\x90\x80\x80", exact), TextRefusal::NotUtf8); // above U+10FFFF
        QCOMPARE(utf8ToWin1252Exact("\xe6\x97\xa5?", exact), TextRefusal::NotWin1252);
    }

    void cutNeverSplitsALineBreak() {
        TFigureRecord r = blankFigureRecord();
        r.Comments.assign(std::string(254, 'x') + "\r\nmore");
        QCOMPARE(r.Comments.str(), std::string(254, 'x'));
        r.Comments.assign(std::string(253, 'x') + "\r\nmore");
        QCOMPARE(r.Comments.str(), std::string(253, 'x') + "\r\n");
    }
};

QTEST_GUILESS_MAIN(RecordTest)
#include "test_record.moc"
