#pragma once
// The default error report: a command that fails on a file or a stored number ends there, and its
// error is shown in a plain message box with the runtime's text ("File not found", "Disk full", ...).

#include <QString>

#include <functional>

class QWidget;

namespace vitrinex {

// Shows `message` in a plain message box over `parent`.
void reportError(QWidget* parent, const QString& message);

// Runs `command`; an error it raises is reported and the call answers false.
bool runGuarded(QWidget* parent, const std::function<void()>& command);

// Tests: receive the reports instead of a message box; an empty function restores the box.
void setErrorReportForTesting(std::function<void(const QString&)> report);

} // namespace vitrinex
