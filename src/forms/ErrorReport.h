#pragma once
// The default error report: a command that fails on a file or a stored number ends there, and its
// error is shown in a plain message box with the runtime's text ("File not found", "Disk full", ...).

#include <QString>

#include <functional>

class QWidget;

namespace vitrinex {

// Shows `message` in a plain message box over `parent`.
void reportError(QWidget* parent, const QString& message);

// Runs `command`; an error it raises is reported and the call answers false. A save refused because
// another program changed the collection file (EChangedElsewhere), and a file refused as no
// collection file (ENoCollectionFile), are told in the message dialog.
bool runGuarded(QWidget* parent, const std::function<void()>& command);

class OpenCollection;
// For a command that would change the collection: a read-only one is told in the message dialog
// ("... is read-only: its changes cannot be saved.") and the call answers true.
bool refusedAsReadOnly(const OpenCollection& collection);

class EChangedElsewhere;
// Tells in the message dialog that a save was refused because another program changed the file, which
// has been read again.
void showChangedElsewhere(const EChangedElsewhere& refused);

// Runs `command`, a write of `fileName` as the program ends (the settings file, the open collection):
// its error is reported with the file's name in front ("/home/ann/Vitrinex.ini: File access denied"),
// and only once, however many of the writes at the end fail the same way on the same file.
bool runGuardedAtEnd(QWidget* parent, const QString& fileName, const std::function<void()>& command);

// Tests: what the program shows modally goes to these functions instead of a window; an empty one
// leaves its window real. Global because every window shows its messages through the free
// ShowMessageDialog and reportError, and the program's end reports after the windows are gone.
struct ShownMessages {
    // The message dialog's title and text, its defaults ("error", "missing information!") applied.
    std::function<void(const QString& title, const QString& text)> message;
    std::function<void(const QString& error)> errorReport; // the default error report
};
void setShownMessagesForTesting(ShownMessages shown);
const ShownMessages& shownMessagesForTesting();

} // namespace vitrinex
