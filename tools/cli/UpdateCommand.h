#pragma once
// vitrinex-cli update FILE [--type SW|HW]: the whole catalog update as the update window runs it.

namespace vitrinex::cli {

class CommandLine;
int commandUpdate(const CommandLine& arguments);

} // namespace vitrinex::cli
