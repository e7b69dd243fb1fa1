#pragma once
// vitrinex-cli's report commands: "export FILE" writes the text export, "print FILE --pdf OUT"
// prints the collection list into a PDF file.

namespace vitrinex::cli {

inline constexpr char kReportUsage[] =
    "  vitrinex-cli export FILE\n"
    "  vitrinex-cli print FILE --pdf OUT [--fields year,series,price,netchange,quantity,condition,catnum,comments]\n"
    "                    [--page a4|letter]\n";

// Runs "export" or "print" (argv[1]); returns the exit status. Throws on failure.
int runReportCommand(int argc, char** argv);

} // namespace vitrinex::cli
