#include "UndoCommands.h"

#include "CommandLine.h"
#include "CommandSession.h"
#include "Json.h"

#include <QFile>

#include <functional>
#include <iostream>

namespace vitrinex::cli {
namespace {

// Paths are printed as the system names them (UTF-8 here).
std::string shownPath(const std::string& path) {
    return QFile::decodeName(path.c_str()).toStdString();
}

int replayed(const CommandLine& a, const char* key,
             const std::function<std::string(CommandSession&)>& replay) {
    CommandSession session(a.arg(0));
    const std::string text = replay(session);
    json::Object out;
    out.addString("file", shownPath(a.arg(0))).addString(key, text);
    std::cout << out.str() << '\n';
    return 0;
}

} // namespace

int commandUndo(const CommandLine& a) {
    return replayed(a, "undone", [](CommandSession& s) { return s.undo(); });
}

int commandRedo(const CommandLine& a) {
    return replayed(a, "redone", [](CommandSession& s) { return s.redo(); });
}

int commandChanges(const CommandLine& a) {
    CommandSession session(a.arg(0));
    std::vector<std::string> rows;
    const std::vector<LoggedStep> steps = session.changes();
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (it->undone) continue;
        json::Object o;
        o.addString("time", it->time).addString("step", it->text).addNumber("items", it->items);
        rows.push_back(o.compact());
    }
    json::Object out;
    out.add("changes", json::array(rows, 2));
    std::cout << out.str() << '\n';
    return 0;
}

} // namespace vitrinex::cli
