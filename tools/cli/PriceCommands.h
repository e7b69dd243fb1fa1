#pragma once
// vitrinex-cli's "backup" and "apply" commands: the backup writer and the price application of a
// catalog update file, as the program runs them.

namespace vitrinex::cli {

class CommandLine;

// backup FILE: writes FILE's backup; prints {"file": path, "message": completion text}.
int commandBackup(const CommandLine& arguments);
// apply FILE UPDATEDAT: applies the update file to FILE and prints the statistics afterwards.
int commandApply(const CommandLine& arguments);

} // namespace vitrinex::cli
