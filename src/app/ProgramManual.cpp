#include "app/ProgramManual.h"

namespace vitrinex {
namespace {

Manual makeManual() {
    Manual m;
    m.name = "vitrinex";
    m.summary = "keeps collections of action figures";
    m.synopsis = {"[FILE]"};
    m.description = {
        "Vitrinex keeps collections of action figures and diecast cars, one collection file (.fcd) each.",
        "Vitrinex is a window program. For every item it keeps the name, year, series, price, quantity, "
        "condition, catalog number, net change and comments, shows the items in a sorted list beside the "
        "selected item's details, and writes every change to the file at once. Its commands are in the menu "
        "of the right mouse button over the main window; most also have a button and a key (Ctrl+N new, "
        "Ctrl+O open, Ctrl+W close, Ctrl+A add, Ctrl+E edit, Delete, Ctrl+F find, Ctrl+S statistics, Ctrl+P "
        "print, Ctrl+U catalog update, Ctrl+T table, Ctrl+Z undo, Ctrl+Shift+Z or Ctrl+Y redo). The help "
        "button shows the whole guide.",
        "The collection menu lists the last eight collections opened; each one opened is also added to the "
        "desktop's recently used files. A collection file dropped on the window opens; a CSV file dropped "
        "on it is offered for import. With Vitrinex already running, a second start hands its FILE to the "
        "running copy and ends."};
    m.sections = {
        {"OPTIONS",
         {},
         {{"FILE", "A collection (.fcd) or backup (.bak) to open; with the program already running, the "
                   "running copy opens it."},
          {"--check-install",
           "Print where the program reads its files and writes its own, and check that the "
           "files it ships with are there. Needs no display."},
          {"-h, --help", "Print this help."},
          {"--version", "Print the version."},
          {"--manual", "Print this manual page (roff); man -l - shows it."}},
         {}},
        {"EXIT STATUS",
         {"0 when the window was closed, or when --help, --version, --manual or a complete --check-install "
          "answered. 1 when there is no display, or --check-install missed a file the program ships with. 2 "
          "for a wrong option or more than one FILE."},
         {},
         {}},
        {"ENVIRONMENT",
         {},
         {{"VITRINEX_UPDATE_HOST", "The catalog server of the update command, as host or host:port, in place "
                                   "of the maker's server."},
          {"XDG_CONFIG_HOME", "The settings folder (by default ~/.config)."},
          {"XDG_DATA_HOME", "The data folder (by default ~/.local/share)."},
          {"XDG_RUNTIME_DIR",
           "Holds the private folder through which a second start reaches the running copy."},
          {"DISPLAY, WAYLAND_DISPLAY", "The display the window is shown on."}},
         {}},
        {"FILES",
         {"Every file is written as a new file beside its name and then renamed over it, no more readable "
          "than the collection, never through a link. Run from its build folder, the program keeps its "
          "settings file and reads its data beside itself, and writes update.dat in the current folder."},
         {{"NAME.fcd", "The collection, written again after every change."},
          {"NAME.bak, NAME.txt, NAME.fcd.damaged", "Beside the collection: the backup, the text export, "
                                                   "records set aside as damaged."},
          {"$XDG_CONFIG_HOME/vitrinex/Vitrinex.ini", "The sounds switch."},
          {"$XDG_CONFIG_HOME/vitrinex/table-window", "The table window's size, columns and place."},
          {"$XDG_CONFIG_HOME/vitrinex/recent-collections", "The collection menu's recent collections."},
          {"$XDG_DATA_HOME/recently-used.xbel",
           "The desktop's recently used files, shared with other "
           "programs: each collection opened is added, the other entries "
           "stay as they are."},
          {"$XDG_DATA_HOME/vitrinex/update.dat", "The last catalog download."},
          {"$XDG_DATA_HOME/vitrinex/collections/", "The dated backups and value history of each collection."},
          {"/usr/share/vitrinex/", "The sounds, the help file Help.hlp and the sample collections."}},
         {}},
        {"EXAMPLES",
         {},
         {},
         {"vitrinex \"/usr/share/vitrinex/samples/Vintage Heroes.fcd\"", "vitrinex --check-install",
          "VITRINEX_UPDATE_HOST=127.0.0.1:41237 vitrinex heroes.fcd"}},
    };
    m.seeAlso = {"vitrinex-cli"};
    return m;
}

} // namespace

const Manual& programManual() {
    static const Manual manual = makeManual();
    return manual;
}

} // namespace vitrinex
