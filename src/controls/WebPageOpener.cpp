#include "controls/WebPageOpener.h"

#include <QDesktopServices>
#include <QHash>

namespace {

QString asciiUpper(QString s) {
    for (QChar& c : s)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 'a' + 'A');
    return s;
}

bool isBlank(QChar c) {
    return c.unicode() <= ' ';
}

QString trimBlanks(const QString& s) {
    qsizetype begin = 0, end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

QString withoutPlaceholders(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('%'))
            ++i; // the placeholder's character goes too
        else
            out += value[i];
    }
    return out;
}

bool defaultOpener(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace

namespace vitrinex {

QString makerHomePageUrl() {
    return QStringLiteral("http://") + QLatin1String(kMakerSiteHost);
}

QString vitrinexHomePageUrl() {
    return makerHomePageUrl() + QStringLiteral("/vitrinex/");
}

QString vitrinexCatalogsUrl() {
    return makerHomePageUrl() + QStringLiteral("/vitrinex/catalog.htm");
}

std::optional<QString> findBrowserCommand(const FileClassKeys& keys) {
    QHash<QString, QString> byName;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const QString name = asciiUpper(it.key());
        if (!byName.contains(name)) byName.insert(name, it.value());
    }
    // A key that only has sub-keys exists too, with an empty default value.
    auto defaultValue = [&byName](const QString& key) -> std::optional<QString> {
        const QString name = asciiUpper(key);
        const auto it = byName.constFind(name);
        if (it != byName.cend()) return *it;
        const QString prefix = name + QLatin1Char('\\');
        for (auto k = byName.cbegin(); k != byName.cend(); ++k)
            if (k.key().startsWith(prefix)) return QString();
        return std::nullopt;
    };
    const QString command = QStringLiteral("\\shell\\open\\command");

    for (const char* ext : {".HTM", ".HTML", ".SHTML", ".SHTM"}) {
        const QString extension = QLatin1String(ext);
        const std::optional<QString> fileType = defaultValue(extension);
        if (!fileType) continue; // the extension has no key
        std::optional<QString> found;
        if (!fileType->isEmpty()) found = defaultValue(*fileType + command);
        if (!found || found->isEmpty()) found = defaultValue(extension + command);
        if (found && !found->isEmpty()) return withoutPlaceholders(*found);
    }
    return std::nullopt;
}

std::optional<BrowserLaunch> parseBrowserCommand(const QString& command, const QString& url) {
    const QString upper = asciiUpper(command);
    qsizetype programEnd = -1;
    for (const char* ext : {".EXE", ".BAT", ".COM"}) {
        const qsizetype at = upper.lastIndexOf(QLatin1String(ext));
        if (at >= 0) programEnd = std::max(programEnd, at + 4);
    }
    if (programEnd < 0) return std::nullopt;

    BrowserLaunch launch;
    launch.program = upper.left(programEnd);
    if (launch.program.startsWith(QLatin1Char('"'))) launch.program.remove(0, 1);
    QString arguments = trimBlanks(upper.mid(programEnd));
    qsizetype quotes = 0;
    while (quotes < arguments.size() && arguments[quotes] == QLatin1Char('"'))
        ++quotes;
    arguments.remove(0, quotes);
    launch.arguments = arguments + QLatin1Char(' ') + url;
    return launch;
}

} // namespace vitrinex

TGoToWeb::TGoToWeb(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("GoToWeb"));
}

bool TGoToWeb::Open() {
    // Only web addresses: a file or other scheme would have the desktop run whatever it names.
    const QUrl url(url_, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return false;
    return opener_ ? opener_(url) : defaultOpener(url);
}
