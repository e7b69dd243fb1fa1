#pragma once
// The command line's item commands: add (plain, for scripts, or --as-typed, as the add dialog takes
// typing), edit --as-typed and find, all through the item dialogs' rules.

#include "CommandLine.h"

#include <string>
#include <vector>

namespace vitrinex::cli {

// The options naming an item's fields.
extern const std::vector<std::string> kItemFieldOptions;

// Each throws std::exception with the line to print on refusal.
int commandAdd(const CommandLine& arguments);
int commandEdit(const CommandLine& arguments);
int commandFind(const CommandLine& arguments);

} // namespace vitrinex::cli
