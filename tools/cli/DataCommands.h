#pragma once
// vitrinex-cli's commands for what lives beside a collection: CSV export and import, the backup
// generations kept in the user's data folder with their restore, and the value history.

namespace vitrinex::cli {

class CommandLine;

// Each returns the exit status and throws on failure.
int commandExportCsv(const CommandLine& arguments);
int commandImportCsv(const CommandLine& arguments);
int commandBackups(const CommandLine& arguments);
int commandRestore(const CommandLine& arguments);
int commandHistory(const CommandLine& arguments);

} // namespace vitrinex::cli
