#include "CommandLine.h"

#include "collection/PlainItem.h"
#include "collection/Win1252.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>

namespace vitrinex::cli {
namespace {

// Arguments go through the parser as Latin-1, one character for each byte, so that every value
// comes back as exactly the bytes given; option names are ASCII either way.
QString bytes(const char* arg) {
    return QString::fromLatin1(arg);
}

std::string bytes(const QString& arg) {
    return arg.toLatin1().toStdString();
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

std::string& reportedFile() {
    static std::string file;
    return file;
}

CommandLine::CommandLine(int argc, char** argv, const CommandSyntax& syntax) : argv_(argv) {
    QStringList args = {bytes(argv[0])};
    for (int i = 2; i < argc; ++i)
        args << bytes(argv[i]);

    // QCommandLineParser takes whatever follows an option as its value, an option included.
    // Options are written with one dash or two ("-name", "--name").
    const auto optionName = [](const QString& arg) {
        if (!arg.startsWith(u'-') || arg == QLatin1String("--")) return std::string();
        const std::string name = bytes(arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1));
        return name.substr(0, name.find('='));
    };
    std::vector<std::string> known = syntax.options;
    known.insert(known.end(), syntax.flags.begin(), syntax.flags.end());
    known.insert(known.end(), {"h", "help", "version"});
    for (qsizetype i = 1; i + 1 < args.size() && args[i] != QLatin1String("--"); ++i) {
        const std::string name = optionName(args[i]);
        const QString& next = args[i + 1];
        if (args[i].contains(u'=') || !contains(syntax.options, name)) continue;
        if (next.startsWith(QLatin1String("--")) || contains(known, optionName(next)))
            throw UsageError("--" + name + " needs a value before " + bytes(next) + " (write --" + name +
                             "=VALUE for a value that begins with -- or names an option)");
        ++i; // the value
    }

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    parser.addOption(QCommandLineOption("version"));
    for (const std::string& o : syntax.options)
        parser.addOption(QCommandLineOption(QString::fromStdString(o), QString(), "value"));
    for (const std::string& f : syntax.flags)
        parser.addOption(QCommandLineOption(QString::fromStdString(f)));
    if (!parser.parse(args)) throw UsageError(bytes(parser.errorText()));
    help_ = parser.isSet("help");
    version_ = parser.isSet("version");
    if (help_ || version_) return;

    for (const QString& p : parser.positionalArguments())
        positional_.push_back(bytes(p));
    // A last name ending in "..." takes one argument or more ("IMAGE...").
    const bool repeats = !syntax.positional.empty() && syntax.positional.back().ends_with("...");
    if (repeats ? positional_.size() < syntax.positional.size()
                : positional_.size() != syntax.positional.size()) {
        std::string wanted;
        for (const std::string& p : syntax.positional)
            wanted += " " + p;
        throw UsageError(std::string(argv[1]) + " takes" + (wanted.empty() ? " no arguments" : wanted));
    }
    if (!positional_.empty()) reportedFile() = positional_.front();
    for (const std::string& o : syntax.options)
        if (const QStringList given = parser.values(QString::fromStdString(o)); !given.isEmpty())
            values_.emplace_back(o, bytes(given.back()));
    for (const std::string& f : syntax.flags)
        if (parser.isSet(QString::fromStdString(f))) flagsSet_.push_back(f);
}

bool CommandLine::isSet(const std::string& flag) const {
    return contains(flagsSet_, flag);
}

std::optional<std::string> CommandLine::value(const std::string& option) const {
    for (const auto& [name, v] : values_)
        if (name == option) return v;
    return std::nullopt;
}

std::string CommandLine::value(const std::string& option, const std::string& fallback) const {
    return value(option).value_or(fallback);
}

std::string collectionText(const std::string& what, const std::string& utf8, std::size_t capacity) {
    return storableText(what, utf8, capacity);
}

} // namespace vitrinex::cli
