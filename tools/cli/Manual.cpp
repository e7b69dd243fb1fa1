#include "Manual.h"

namespace vitrinex::cli {
namespace {

const char* const kItemJson =
    "an item is an object of FigureName, UpdateMark, Year, Series, Price, NetChange, Quantity (a number), "
    "CatNum, Condition and Comments, the texts as stored";

// The commands: each term is the usage line after the program's name.
std::vector<ManualItem> commandItems() {
    const std::string item = kItemJson;
    return {
        {"new FILE --name N --brand B --year Y",
         "Creates an empty collection; FILE must not exist yet. Prints nothing."},
        {"show FILE",
         "Prints {header, items}: header holds CollectionName, LastUpdate, UpdateType, Brand and "
         "CollectionYear; items lists every record in the file's order (" +
             item + ")."},
        {"stats FILE",
         "Prints the statistics window's texts: caption, total, value, netChange, the item lists "
         "high, low, hot and cold, and list, every item name in the list's order."},
        {"add FILE --name N [--quantity Q] [--year Y] [--series S] [--price P] [--netchange C] "
         "[--condition K] [--catnum X] [--comments T]",
         "Adds an item by the plain rules. Prints the item as the file now holds it "
         "(" +
             item + ")."},
        {"add FILE --as-typed [--name N] [--quantity Q] ...",
         "Adds an item from the fields as typed in the add dialog ($ amounts, the year's mask) and by its "
         "rules. Prints the item as stored."},
        {"edit FILE NAME --as-typed [--name N] [--quantity Q] ...",
         "Changes the item NAME as the edit dialog does with the fields given. Prints the item as stored, or "
         "null when no item of that name was written."},
        {"delete FILE NAME", "Deletes the item NAME. Prints nothing."},
        {"find FILE TEXT [--from N]",
         "The find dialog's search for an item whose name holds TEXT, from N (the next of an earlier "
         "search): prints label, index and name of the match (null when there is none) and next."},
        {"scan STREAM --out UPDATEDAT",
         "Reads a saved catalog answer into the update file UPDATEDAT. Prints records (each CATNUM|PRICE), "
         "message (the catalog's message) and end (whether the end marker was seen)."},
        {"update FILE [--type SW|HW]",
         "The whole catalog update: backup, download from the update host, application. --type chooses "
         "the catalog of a collection that follows none yet. Prints label and status, the update's last "
         "texts, and when prices were applied changes and unmatched as apply does."},
        {"backup FILE",
         "Writes FILE.bak beside the collection and a dated copy in the data folder. Prints file "
         "and message."},
        {"apply FILE UPDATEDAT",
         "Applies the prices of an update file. Prints the statistics, updated (the count of items changed "
         "out of all), status, changes (each item whose price changed, with item, old and new) and "
         "unmatched (the catalog numbers that matched no item)."},
        {"check FILE",
         "Looks for damaged records. Prints records (how many the file holds) and damaged, each "
         "with record (its number) and reason."},
        {"repair FILE", "Sets damaged records aside into FILE.damaged. Prints kept, setAside and file (null "
                        "when nothing was set aside)."},
        {"export FILE", "Writes the text export FILE.txt beside the collection. Prints file and message."},
        {"print FILE --pdf OUT [--fields year,series,price,netchange,quantity,condition,catnum,comments] "
         "[--page a4|letter]",
         "Prints the collection list into the PDF file OUT with the fields named. Prints file and pages."},
        {"export-csv FILE [--out OUT] [--photos DIR]",
         "Writes every item as a CSV row (UTF-8, RFC 4180) to OUT, by default FILE.csv beside the "
         "collection. With --photos, copies every item's photos into DIR and adds a last column photos: "
         "their paths relative to OUT's folder, separated by |. Prints file and items."},
        {"import-csv FILE IN [--existing skip|update]",
         "Adds every row of the CSV file IN, or none. Rows of names FILE has are refused, left out (skip) "
         "or update their items (update). A photos column adds its photos to the rows' items, still all or "
         "nothing. Prints file, added, items, skipped and updated."},
        {"backups FILE", "Prints backups, the dated copies newest first, each with file, time and items."},
        {"restore FILE BACKUP", "Puts a backup (a dated copy or a .bak file) back as the collection. Prints "
                                "file and items."},
        {"history FILE", "Prints points, the value over time, each with time, value, items and updated."},
        {"deleted FILE", "Prints deleted, the items deleted from FILE that are kept (the last 1,000), newest "
                         "first, each with time and item (" +
                             item + ")."},
        {"undelete FILE NAME", "Brings back the newest deleted item of the name NAME, every field as it was; "
                               "refused while FILE has an item of that name. Prints item."},
        {"price-history FILE ITEM", "Prints item and points, every price the item got (added, edited, "
                                    "imported or applied by an update; a rename keeps them), oldest first, "
                                    "each with time, price, netChange and source (add, edit, import or "
                                    "update)."},
        {"photos FILE ITEM", "Prints item and photos, the item's photos with the cover first, each with "
                             "file (its path in FILE's \"NAME.photos\" folder), width, height and bytes."},
        {"photo-add FILE ITEM IMAGE...", "Adds the JPEG, PNG or WebP files to the item's photos in that "
                                         "order, all or none; an image the item has already is not added "
                                         "twice. Prints the same as photos."},
        {"photo-remove FILE ITEM N", "Removes the item's photo at position N (counting from 1). Prints the "
                                     "same as photos."},
        {"photo-cover FILE ITEM N", "Makes the item's photo at position N its cover. Prints the same as "
                                    "photos."},
        {"undo FILE", "Undoes the newest change of FILE logged (one command: an add, an edit, a delete, the "
                      "collection's information, an import, an update, a restore, a photo change) as one "
                      "save. Prints file and undone, the step's text (\"delete Snowspeeder\"). Refused, "
                      "changing nothing, with \"nothing to undo\", or when FILE was changed since by "
                      "something that keeps no log."},
        {"redo FILE", "Does again the change undone last. Prints file and redone. A new change drops what "
                      "could have been redone."},
        {"changes FILE", "Prints changes, the steps of the change log newest first (the last 200, at most "
                         "64 MiB), each with time, step (its text) and items (how many it changed)."},
    };
}

Manual makeManual() {
    Manual m;
    m.name = "vitrinex-cli";
    m.summary = "Vitrinex's collection store from the command line";
    const std::vector<ManualItem> commands = commandItems();
    for (const ManualItem& c : commands)
        m.synopsis.push_back(c.term);
    m.description = {
        "vitrinex-cli does on Vitrinex collection files (.fcd) what the window program does, for scripts "
        "and for collectors who keep many files. Each command reads or changes one collection, under the "
        "same lock and with the same safe saves as the window program, and prints JSON (UTF-8) on standard "
        "output, texts as the collection stores them.",
        "Options take their value as the next argument (--name Batman) or after an equals sign "
        "(--name=Batman); -- ends the options. Every command also takes --help and --version."};
    m.sections = {
        {"COMMANDS", {}, commands, {}},
        {"OPTIONS",
         {},
         {{"--help, -h", "Prints the usage lines and exits."},
          {"--version", "Prints the version and exits."},
          {"--manual", "Prints this manual page (roff); man -l - shows it."}},
         {}},
        {"EXIT STATUS",
         {"0 when the command did what it was asked. 1 on any failure, which is told in one line on standard "
          "error beginning with \"vitrinex-cli: \" and changes nothing: a wrong command or option (the usage "
          "lines follow), a file that cannot be read or written, bad input (every problem named), or an "
          "update that applied nothing."},
         {},
         {}},
        {"ENVIRONMENT",
         {},
         {{"VITRINEX_UPDATE_HOST", "The catalog server of update, as host or host:port, in place of the "
                                   "maker's server."},
          {"XDG_DATA_HOME",
           "The data folder (by default ~/.local/share): the dated backups and value history "
           "live in vitrinex/collections/ below it."},
          {"XDG_CONFIG_HOME", "Read only by the window program (by default ~/.config): its settings."},
          {"HOME", "The base of the two folders above when they are not set."}},
         {}},
        {"FILES",
         {"Every file is written as a new file beside its name and then renamed over it, no more readable "
          "than the collection, never through a link."},
         {{"FILE.fcd", "The collection, read and written in place of itself by the commands that change it."},
          {"FILE.bak", "The backup copy (backup, update)."},
          {"FILE.txt, FILE.csv", "The text and CSV exports."},
          {"FILE.photos/", "The items' photos, each once under a hash of its content, and their index "
                           "(photos, photo-add, photo-remove, photo-cover, delete, restore)."},
          {"FILE.fcd.damaged", "Records set aside (repair, and any change of a collection found damaged)."},
          {".FILE.fcd.vitrinex-journal", "The journal of a save in place, there only while it runs."},
          {"update.dat", "The last catalog download, in the current folder (update; scan writes where --out "
                         "says)."},
          {"$XDG_DATA_HOME/vitrinex/collections/", "The dated backups (the last ten), the value history, "
                                                   "the change log, the deleted items and the prices over "
                                                   "time of each collection (backup, update, restore, "
                                                   "history, undo, redo, changes, deleted, undelete, "
                                                   "price-history)."}},
         {}},
        {"EXAMPLES",
         {"On heroes.fcd, a copy of the sample collection, and update.auf, a saved catalog answer:"},
         {},
         {"vitrinex-cli new mine.fcd --name \"My Heroes\" --brand Kenner --year 1995",
          "vitrinex-cli add heroes.fcd --name Snowspeeder --year 1982 --price '$38' --quantity 2",
          "vitrinex-cli stats heroes.fcd", "vitrinex-cli find heroes.fcd snow",
          "vitrinex-cli export-csv heroes.fcd --out heroes.csv",
          "vitrinex-cli import-csv mine.fcd heroes.csv --existing update",
          "vitrinex-cli print heroes.fcd --pdf heroes.pdf --fields year,price,condition",
          "vitrinex-cli scan update.auf --out update.dat", "vitrinex-cli apply heroes.fcd update.dat",
          "vitrinex-cli undo heroes.fcd", "vitrinex-cli changes heroes.fcd",
          "VITRINEX_UPDATE_HOST=127.0.0.1:41237 vitrinex-cli update heroes.fcd --type SW"}},
    };
    m.seeAlso = {"vitrinex"};
    return m;
}

} // namespace

const Manual& cliManual() {
    static const Manual manual = makeManual();
    return manual;
}

} // namespace vitrinex::cli
