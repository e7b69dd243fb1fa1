#pragma once
// The collection of one command, through the one owner of every change: a change reads the file
// again under its lock should another program have changed it meanwhile, and what an open mended
// (a cut-short save put back, records set aside) is told on standard error.

#include "model/CollectionSession.h"

#include <string>

namespace vitrinex::cli {

class CommandSession : public CollectionSession {
public:
    // Opens `path`; with `tell` false the notices are left to the command (check reports them).
    explicit CommandSession(const std::string& path, OpenRule rule = OpenRule::CollectionsOnly,
                            bool tell = true);
    // Nothing opened yet (new, repair, restore).
    CommandSession();
};

// What opening `path` mended, on standard error.
void tellRecoveredSave(const std::string& path);

} // namespace vitrinex::cli
