#include "controls/WebPageOpener.h"

#include <QTest>

using vitrinex::FileClassKeys;

namespace {
const QString kUrl = QStringLiteral("http://www.quillory.com/vitrinex/");
const QString kCommandKey = QStringLiteral("\\shell\\open\\command");
} // namespace

class TestGoToWeb : public QObject {
    Q_OBJECT

private slots:
    void makerSiteUrls();
    void commandParsing_data();
    void commandParsing();
    void commandLookup_data();
    void commandLookup();
    void openGoesThroughDesktop();
};

void TestGoToWeb::makerSiteUrls() {
    QCOMPARE(QString::fromLatin1(vitrinex::kMakerSiteHost), QStringLiteral("www.quillory.com"));
    QCOMPARE(vitrinex::makerHomePageUrl(), QStringLiteral("http://www.quillory.com"));
    QCOMPARE(vitrinex::vitrinexHomePageUrl(), QStringLiteral("http://www.quillory.com/vitrinex/"));
    QCOMPARE(vitrinex::vitrinexCatalogsUrl(), QStringLiteral("http://www.quillory.com/vitrinex/catalog.htm"));
}

void TestGoToWeb::commandParsing_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("arguments");

    // What the lookup hands over: "%1" already gone, its quotes left.
    QTest::newRow("quoted path, switch, quoted placeholder")
        << "\"C:\\Program Files\\Web\\browser.exe\" /switch \"\"" << true
        << "C:\\PROGRAM FILES\\WEB\\BROWSER.EXE"
        << " /SWITCH \"\" " + kUrl;
    QTest::newRow("extension ends the command") << "C:\\Web\\Browser.exe" << true << "C:\\WEB\\BROWSER.EXE"
                                                << " " + kUrl;
    QTest::newRow("quoted path only") << "\"C:\\Web Tools\\Look.exe\"" << true << "C:\\WEB TOOLS\\LOOK.EXE"
                                      << " " + kUrl;
    QTest::newRow("batch file, blanks trimmed")
        << "c:\\tools\\open.bat \t/new  " << true << "C:\\TOOLS\\OPEN.BAT"
        << "/NEW " + kUrl;
    // The last extension wins, even one inside the arguments.
    QTest::newRow("later .com beats earlier .exe") << "x.exe y.com z" << true << "X.EXE Y.COM"
                                                   << "Z " + kUrl;
    // Blanks are trimmed before every opening quote goes, so a blank behind the quotes stays.
    QTest::newRow("opening quotes of arguments") << "b.exe\"\" \"go\"" << true << "B.EXE"
                                                 << " \"GO\" " + kUrl;
    QTest::newRow("every opening quote goes") << "b.exe \"\"\"go\"" << true << "B.EXE"
                                              << "GO\" " + kUrl;
    QTest::newRow("one opening quote of the program") << "\"\"b.exe" << true << "\"B.EXE"
                                                      << " " + kUrl;

    QTest::newRow("empty") << "" << false << ""
                           << "";
    QTest::newRow("no extension") << "/usr/bin/firefox -new-tab" << false << ""
                                  << "";
    QTest::newRow("extension cut short") << "browser.ex" << false << ""
                                         << "";
    QTest::newRow("other extension") << "\"C:\\web\\browser.cmd\" \"\"" << false << ""
                                     << "";
}

void TestGoToWeb::commandParsing() {
    QFETCH(QString, command);
    QFETCH(bool, found);
    QFETCH(QString, program);
    QFETCH(QString, arguments);
    const std::optional<vitrinex::BrowserLaunch> launch = vitrinex::parseBrowserCommand(command, kUrl);
    QCOMPARE(launch.has_value(), found);
    if (found) {
        QCOMPARE(launch->program, program);
        QCOMPARE(launch->arguments, arguments);
    }
}

void TestGoToWeb::commandLookup_data() {
    QTest::addColumn<FileClassKeys>("keys");
    QTest::addColumn<QString>("expected"); // "-" for no command

    const QString cmd = kCommandKey;
    QTest::newRow("nothing registered") << FileClassKeys{} << "-";
    QTest::newRow("file type first") << FileClassKeys{{".htm", "htmlfile"},
                                                      {"htmlfile" + cmd, "type.exe"},
                                                      {".htm" + cmd, "own.exe"}}
                                     << "type.exe";
    QTest::newRow("type without command")
        << FileClassKeys{{".htm", "htmlfile"}, {".htm" + cmd, "own.exe"}} << "own.exe";
    QTest::newRow("type command empty")
        << FileClassKeys{{".htm", "htmlfile"}, {"htmlfile" + cmd, ""}, {".htm" + cmd, "own.exe"}}
        << "own.exe";
    QTest::newRow("no file type") << FileClassKeys{{".htm", ""}, {".htm" + cmd, "bare.exe"}} << "bare.exe";
    // A key with sub-keys exists even without a value of its own.
    QTest::newRow("key implied by sub-key") << FileClassKeys{{".html" + cmd, "implied.exe"}} << "implied.exe";
    QTest::newRow("later extension when earlier gives nothing")
        << FileClassKeys{{".htm", "dead"},
                         {".shtm", "s"},
                         {"s" + cmd, "fourth.exe"},
                         {".shtml" + cmd, "third.exe"}}
        << "third.exe";
    QTest::newRow(".html before .shtml")
        << FileClassKeys{{".shtml" + cmd, "third.exe"}, {".html" + cmd, "2.exe"}} << "2.exe";
    QTest::newRow("case of keys ignored")
        << FileClassKeys{{".HtM", "HTMLFile"}, {"htmlfile\\SHELL\\Open\\Command", "found.exe"}}
        << "found.exe";
    QTest::newRow("placeholders removed")
        << FileClassKeys{{".htm", "t"}, {"t" + cmd, "\"C:\\B\\b.exe\" -a \"%1\" %%x 100%"}}
        << "\"C:\\B\\b.exe\" -a \"\" x 100";
    QTest::newRow("only other classes") << FileClassKeys{{".txt", "txtfile"},
                                                         {"txtfile" + cmd, "notepad.exe"},
                                                         {".xhtml" + cmd, "elsewhere.exe"},
                                                         {".html\\shell\\open", "not the command"},
                                                         {".shtm" + cmd, ""}}
                                        << "-";
}

void TestGoToWeb::commandLookup() {
    QFETCH(FileClassKeys, keys);
    QFETCH(QString, expected);
    const std::optional<QString> command = vitrinex::findBrowserCommand(keys);
    QCOMPARE(command.value_or(QStringLiteral("-")), expected);
}

void TestGoToWeb::openGoesThroughDesktop() {
    QList<QUrl> opened;
    bool accept = true;
    TGoToWeb web;
    web.setUrlOpener([&](const QUrl& url) {
        opened << url;
        return accept;
    });
    web.setProperty("Url", vitrinex::vitrinexCatalogsUrl());
    QVERIFY(web.Open());
    web.setUrl(QStringLiteral("https://www.quillory.com/x?y=1"));
    QVERIFY(web.Open());
    QCOMPARE(opened, (QList<QUrl>{QUrl(QStringLiteral("http://www.quillory.com/vitrinex/catalog.htm")),
                                  QUrl(QStringLiteral("https://www.quillory.com/x?y=1"))}));

    // The desktop refusing is a failure.
    accept = false;
    web.setUrl(vitrinex::makerHomePageUrl());
    QVERIFY(!web.Open());
    QCOMPARE(opened.size(), 3);

    // Anything but a web address never reaches the desktop.
    accept = true;
    for (const char* url : {"", "file:///etc/passwd", "javascript:alert(1)", "www.quillory.com", "http://",
                            "http://exa mple.com/", "ftp://www.quillory.com/"}) {
        web.setUrl(QString::fromLatin1(url));
        QVERIFY2(!web.Open(), url);
    }
    QCOMPARE(opened.size(), 3);
}

QTEST_MAIN(TestGoToWeb)
#include "test_webpageopener.moc"
