#pragma once
// vitrinex-cli's report commands: "export FILE" writes the text export, "print FILE --pdf OUT"
// prints the collection list into a PDF file.

namespace vitrinex::cli {

class CommandLine;

// Each returns the exit status and throws on failure.
int commandExport(const CommandLine& arguments);
int commandPrint(const CommandLine& arguments);

} // namespace vitrinex::cli
