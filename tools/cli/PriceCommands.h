#pragma once
// vitrinex-cli's "backup" and "apply" commands: the backup writer and the price application of a
// catalog update file, as the program runs them.

namespace vitrinex::cli {

// backup FILE: writes FILE's backup; prints {"file": path, "message": completion text}.
int commandBackup(int argc, char** argv);
// apply FILE UPDATEDAT: applies the update file to FILE and prints the statistics afterwards.
int commandApply(int argc, char** argv);

} // namespace vitrinex::cli
