#pragma once
// TGoToWeb: opens a web page in the user's default browser.

#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace vitrinex {

// The maker's web site.
inline constexpr char kMakerSiteHost[] = "www.quillory.com";

QString makerHomePageUrl();    // "http://www.quillory.com"
QString vitrinexHomePageUrl(); // "http://www.quillory.com/vitrinex/"
QString vitrinexCatalogsUrl(); // "http://www.quillory.com/vitrinex/catalog.htm"

// Registry of file classes as key path -> default value ("\\" between key names, compared without
// regard to case, as the registry does). A key that exists with an empty default value maps to ""; a key
// that only appears as the start of a longer path exists too, with an empty default value.
using FileClassKeys = QMap<QString, QString>;

// The browser command registered for web pages: for ".HTM", ".HTML", ".SHTML", ".SHTM" in turn, the command
// of the extension's file type, then the extension's own shell\open\command. Every "%" goes with the
// character after it. Nothing when no extension gives a command.
std::optional<QString> findBrowserCommand(const FileClassKeys& keys);

// What the shell is asked to start.
struct BrowserLaunch {
    QString program;
    QString arguments;
    bool operator==(const BrowserLaunch&) const = default;
};

// Splits a browser command into the program (up to the last ".EXE", ".BAT" or ".COM", upper-cased, an
// opening quote dropped) and its arguments (trimmed, opening quotes dropped) followed by one blank and the
// URL. Nothing when the command names no program of those kinds.
std::optional<BrowserLaunch> parseBrowserCommand(const QString& command, const QString& url);

} // namespace vitrinex

class TGoToWeb : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Url READ Url WRITE setUrl)
public:
    // Hands a URL to the desktop; true when it was accepted.
    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit TGoToWeb(QObject* parent = nullptr);

    QString Url() const { return url_; }
    void setUrl(const QString& url) { url_ = url; }

    // Opens `Url` in the default browser. False when it is no http or https address or the desktop
    // refused it.
    bool Open();

    // What opens the address instead of the desktop (a test's recorder); empty is the desktop.
    void setUrlOpener(UrlOpener opener) { opener_ = std::move(opener); }

private:
    QString url_;
    UrlOpener opener_;
};
