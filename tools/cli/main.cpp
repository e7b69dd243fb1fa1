// vitrinex-cli: the collection store from the command line, for collectors who keep many files and
// for scripts. Prints JSON (UTF-8) on standard output; an error is one line on standard error and
// exit status 1.

#include "ItemCommands.h"
#include "ItemText.h"
#include "Json.h"
#include "PriceCommands.h"
#include "ReportCommands.h"
#include "ScanCommand.h"
#include "UpdateCommand.h"
#include "StatisticsJson.h"
#include "collection/CollectionFile.h"
#include "collection/CollectionLock.h"
#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "collection/Win1252.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace vitrinex;

namespace {

const char* const kUsage =
    "usage:\n"
    "  vitrinex-cli new FILE --name N --brand B --year Y\n"
    "  vitrinex-cli show FILE\n"
    "  vitrinex-cli stats FILE\n"
    "  vitrinex-cli add FILE --name N [--quantity Q] [--year Y] [--series S] [--price P]\n"
    "                    [--netchange C] [--condition K] [--catnum X] [--comments T]\n"
    "  vitrinex-cli delete FILE NAME\n"
    "  vitrinex-cli add FILE --as-typed [--name N] [--quantity Q] ... (the fields as typed in the add "
    "dialog)\n"
    "  vitrinex-cli edit FILE NAME --as-typed [--name N] [--quantity Q] ... (as typed in the edit dialog)\n"
    "  vitrinex-cli find FILE TEXT [--from N]\n"
    "  vitrinex-cli scan STREAM --out UPDATEDAT\n"
    "  vitrinex-cli update FILE [--type SW|HW]\n"
    "  vitrinex-cli backup FILE\n"
    "  vitrinex-cli apply FILE UPDATEDAT\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// FILE, then --option value pairs from the allowed set.
struct Arguments {
    std::string file;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    bool has(const std::string& o) const { return options.count(o) != 0; }
    std::string get(const std::string& o, const std::string& fallback = {}) const {
        const auto it = options.find(o);
        return it == options.end() ? fallback : it->second;
    }
};

// The collection file of the command being run, which file errors are reported against.
std::string g_fileArgument;

Arguments parse(int argc, char** argv, const std::vector<std::string>& allowed, std::size_t positionals) {
    Arguments a;
    std::vector<std::string> plain;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) == 0) {
            const std::string name = arg.substr(2);
            if (std::find(allowed.begin(), allowed.end(), name) == allowed.end())
                throw UsageError("unknown option " + arg);
            if (i + 1 >= argc) throw UsageError("option " + arg + " needs a value");
            a.options[name] = argv[++i];
        } else {
            plain.push_back(arg);
        }
    }
    if (plain.size() != positionals + 1) throw UsageError("wrong number of arguments");
    a.file = plain[0];
    g_fileArgument = a.file;
    a.positional.assign(plain.begin() + 1, plain.end());
    return a;
}

std::string utf8(std::string_view win1252) {
    return win1252ToUtf8(win1252);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int commandNew(int argc, char** argv) {
    const Arguments a = parse(argc, argv, {"name", "brand", "year"}, 0);
    for (const char* o : {"name", "brand", "year"})
        if (a.get(o).empty()) throw UsageError(std::string("new needs --") + o);
    // A new collection never replaces a file that is already there.
    if (fileExists(a.file)) throw std::runtime_error(a.file + " already exists");
    OpenCollection c;
    c.CreateCollection(a.file, utf8ToWin1252(a.get("name")), utf8ToWin1252(a.get("brand")),
                       utf8ToWin1252(a.get("year")));
    return 0;
}

int commandShow(int argc, char** argv) {
    const Arguments a = parse(argc, argv, {}, 0);
    TCollectionHeader header;
    std::vector<std::string> items;
    readCollectionFile(a.file, header,
                       [&items](const TFigureRecord& r) { items.push_back(cli::itemJson(r)); });
    json::Object h;
    h.addString("CollectionName", utf8(header.CollectionName.view()))
        .addString("LastUpdate", utf8(header.LastUpdate.view()))
        .addString("UpdateType", utf8(header.UpdateType.view()))
        .addString("Brand", utf8(header.Brand.view()))
        .addString("CollectionYear", utf8(header.CollectionYear.view()));
    json::Object out;
    out.add("header", h.str(2)).add("items", json::array(items, 2));
    std::cout << out.str() << '\n';
    return 0;
}

int commandStats(int argc, char** argv) {
    const Arguments a = parse(argc, argv, {}, 0);
    OpenCollection c;
    c.LoadCollection(a.file);
    std::cout << cli::statisticsJson(c).str() << '\n';
    return 0;
}

int commandAdd(int argc, char** argv) {
    const Arguments a = parse(
        argc, argv,
        {"name", "quantity", "year", "series", "price", "netchange", "condition", "catnum", "comments"}, 0);
    NewItemValues v;
    v.FigureName = utf8ToWin1252(a.get("name"));
    if (v.FigureName.empty() || v.FigureName == " ") throw UsageError("add needs --name with a name");
    const std::string quantity = a.get("quantity", "1");
    std::size_t used = 0;
    long long q = 0;
    try {
        q = std::stoll(quantity, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    // Quantity 0 marks a deleted record: such an item would vanish at the next save.
    if (used != quantity.size() || q < 1 || q > 2147483647)
        throw std::runtime_error("quantity must be a whole number of at least 1, not '" + quantity + "'");
    v.Quantity = static_cast<std::int32_t>(q);
    v.Year = utf8ToWin1252(a.get("year"));
    v.Series = utf8ToWin1252(a.get("series"));
    v.Price = utf8ToWin1252(a.get("price", "$0")).substr(0, 8);
    v.NetChange = utf8ToWin1252(a.get("netchange", "$0")).substr(0, 5);
    v.Condition = utf8ToWin1252(a.get("condition", "C-10"));
    v.CatNum = utf8ToWin1252(a.get("catnum"));
    v.Comments = utf8ToWin1252(cli::commentText(a.get("comments")));

    long double value = 0;
    if (!amountValue(v.Price, value)) throw std::runtime_error(utf8(v.Price) + " is an invalid price!");
    if (!amountValue(v.NetChange, value) || value != static_cast<long long>(value))
        throw std::runtime_error(utf8(v.NetChange) +
                                 " is an invalid value for net change. net change must be an integer.");

    const CollectionLock lock(a.file);
    OpenCollection c;
    c.LoadCollection(a.file);
    if (const auto refused = c.InsertNewItem(v)) throw std::runtime_error(utf8(refused->text));
    c.SaveCollection();
    return 0;
}

int commandDelete(int argc, char** argv) {
    const Arguments a = parse(argc, argv, {}, 1);
    const std::string name = utf8ToWin1252(a.positional[0]);
    const CollectionLock lock(a.file);
    OpenCollection c;
    c.LoadCollection(a.file);
    TFigureNode* node = c.FindItem(name);
    if (!node) throw std::runtime_error("a match for '" + a.positional[0] + "' was not found.");
    c.BlankItem(node);
    c.SaveCollection();
    c.ReloadCollection();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << kUsage << cli::kReportUsage;
        return 1;
    }
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") return std::cout << kUsage ? 0 : 1;
    try {
        if (const int status = cli::runItemCommand(argc, argv); status >= 0) return status;
        if (command == "new") return commandNew(argc, argv);
        if (command == "show") return commandShow(argc, argv);
        if (command == "stats") return commandStats(argc, argv);
        if (command == "add") return commandAdd(argc, argv);
        if (command == "delete") return commandDelete(argc, argv);
        if (command == "scan") return cli::commandScan(argc, argv);
        if (command == "update") return cli::commandUpdate(argc, argv);
        if (command == "export" || command == "print") return cli::runReportCommand(argc, argv);
        if (command == "backup") return cli::commandBackup(argc, argv);
        if (command == "apply") return cli::commandApply(argc, argv);
        throw UsageError("unknown command " + command);
    } catch (const EInOutError& e) {
        const std::string file = g_fileArgument.empty() ? "" : oneLine(g_fileArgument) + ": ";
        std::cerr << "vitrinex-cli: " << file << oneLine(e.what()) << '\n';
    } catch (const UsageError& e) {
        std::cerr << "vitrinex-cli: " << oneLine(e.what()) << "\n" << kUsage << cli::kReportUsage;
    } catch (const std::exception& e) {
        std::cerr << "vitrinex-cli: " << oneLine(e.what()) << '\n';
    }
    return 1;
}
