#pragma once
// The command line's way into the item dialogs' rules: add and edit with the fields as typed, and find.

namespace vitrinex::cli {

// Runs "add FILE --as-typed ...", "edit FILE NAME --as-typed ..." or "find FILE TEXT [--from N]";
// -1 when the command line is none of these. Throws std::exception with the line to print on refusal.
int runItemCommand(int argc, char** argv);

} // namespace vitrinex::cli
