#pragma once
// check and repair: which records of a collection file cannot be items, and setting them aside.

#include "CommandLine.h"

namespace vitrinex::cli {

int commandCheck(const CommandLine& a);
int commandRepair(const CommandLine& a);

} // namespace vitrinex::cli
