#pragma once
// vitrinex-cli's commands of the change log: undo, redo and the list of steps.

namespace vitrinex::cli {

class CommandLine;

// undo and redo print {"file": FILE, "undone": TEXT} (or "redone"); changes prints
// {"changes": [{"time", "step", "items"}, ...]}, newest first. Each returns the exit status and
// throws on failure ("nothing to undo").
int commandUndo(const CommandLine& arguments);
int commandRedo(const CommandLine& arguments);
int commandChanges(const CommandLine& arguments);

} // namespace vitrinex::cli
