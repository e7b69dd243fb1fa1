#pragma once
// The arguments of one vitrinex-cli command, read with QCommandLineParser: positional arguments,
// options with a value ("--name value" or "--name=value") and flags. Values stay the bytes given (a
// file name need not be UTF-8); a value meant for a collection is checked when it is taken as text.

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vitrinex::cli {

// A command line that names no command of this program or does not fit the command's form; the
// usage follows the message.
struct UsageError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

struct CommandSyntax {
    std::vector<std::string> positional; // names in the usage: "FILE", "NAME", ...; a last "IMAGE..." repeats
    std::vector<std::string> options;    // options that take a value
    std::vector<std::string> flags = {}; // options without one
};

class CommandLine {
public:
    // argv[1] is the command, its arguments follow. Throws UsageError. Every command also takes
    // --help (-h) and --version. A value given as the next argument never begins with "--", so that
    // "--name --price 5" is refused rather than naming an item "--price"; "--name=--x" gives one.
    // The first positional argument is the file errors are reported against.
    CommandLine(int argc, char** argv, const CommandSyntax& syntax);

    bool helpRequested() const { return help_; }
    // The program's own arguments, for a Qt application object.
    char** argv() const { return argv_; }
    bool versionRequested() const { return version_; }

    const std::string& arg(std::size_t index) const { return positional_.at(index); }
    // The positional arguments from `index` on.
    std::vector<std::string> argsFrom(std::size_t index) const {
        return {positional_.begin() + std::ptrdiff_t(std::min(index, positional_.size())), positional_.end()};
    }
    bool isSet(const std::string& flag) const;
    // The last value given for the option.
    std::optional<std::string> value(const std::string& option) const;
    std::string value(const std::string& option, const std::string& fallback) const;

private:
    std::vector<std::string> positional_;
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> flagsSet_;
    char** argv_;
    bool help_ = false;
    bool version_ = false;
};

// The file of the running command that input/output errors are reported against (empty: none).
std::string& reportedFile();

// Text given for a collection, as Windows-1252 bytes of at most `capacity`: text that is not valid
// UTF-8 (overlong forms and surrogates included), holds a character Windows-1252 lacks or does not
// fit is refused with a message naming `what` (the option, "--name", or the argument, "NAME").
std::string collectionText(const std::string& what, const std::string& utf8, std::size_t capacity);

} // namespace vitrinex::cli
