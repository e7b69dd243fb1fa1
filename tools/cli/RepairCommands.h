#pragma once
// check and repair: which records of a collection file cannot be items, and setting them aside.

#include "CommandLine.h"

namespace vitrinex::cli {

int commandCheck(const CommandLine& a);
int commandRepair(const CommandLine& a);

// Tells on standard error what opening a collection mended: a cut-short save put back, records set aside.
void tellOpenNotices();

} // namespace vitrinex::cli
