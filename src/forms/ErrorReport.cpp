#include "forms/ErrorReport.h"

#include "collection/OpenCollection.h"
#include "forms/MessageDialog.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStringList>

namespace vitrinex {
namespace {
ShownMessages& shownForTesting() {
    static ShownMessages shown;
    return shown;
}

// The reports made by the writes at the program's end so far.
QStringList& endReports() {
    static QStringList reports;
    return reports;
}

// A collection file's name as the user reads it.
std::string shownName(const std::string& fileName) {
    return QFile::decodeName(fileName.c_str()).toStdString();
}

void showUserMessage(const UserMessage& m) {
    // A test that takes the error reports but leaves the dialog real gets it as a report, never a
    // modal box it cannot close.
    if (shownForTesting().errorReport && !shownForTesting().message)
        shownForTesting().errorReport(QString::fromStdString(m.text));
    else
        ShowMessageDialog(QString::fromStdString(m.title), QString::fromStdString(m.text));
}

// Runs `command`; an error it raises goes to `report`, a save refused for a file changed elsewhere to
// the message dialog.
bool guarded(const std::function<void()>& command, const std::function<void(const QString&)>& report) {
    try {
        command();
        return true;
    } catch (const EChangedElsewhere& e) {
        showChangedElsewhere(e);
    } catch (const ENoCollectionFile& e) {
        showUserMessage(noCollectionFileMessage(shownName(e.fileName()), e));
    } catch (const EReadOnlyCollection& e) {
        // Refused before anything changed; the commands look first (refusedAsReadOnly).
        report(QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        // EInOutError, EConvertError, EJPEGException, EFOpenError: each carries its message as what().
        report(QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace

void showChangedElsewhere(const EChangedElsewhere& refused) {
    // Not a failure of the program: the user is told in the program's own message dialog.
    showUserMessage(changedElsewhereMessage(shownName(refused.fileName())));
}

bool refusedAsReadOnly(const OpenCollection& collection) {
    if (!collection.isOpen() || !collection.readOnly()) return false;
    showUserMessage(readOnlyRefusalMessage(shownName(collection.fileName())));
    return true;
}

void setShownMessagesForTesting(ShownMessages shown) {
    shownForTesting() = std::move(shown);
    endReports().clear();
}

const ShownMessages& shownMessagesForTesting() {
    return shownForTesting();
}

void reportError(QWidget* parent, const QString& message) {
    if (shownForTesting().errorReport) {
        shownForTesting().errorReport(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool runGuarded(QWidget* parent, const std::function<void()>& command) {
    return guarded(command, [parent](const QString& message) { reportError(parent, message); });
}

bool runGuardedAtEnd(QWidget* parent, const QString& fileName, const std::function<void()>& command) {
    return guarded(command, [parent, &fileName](const QString& error) {
        const QString message = QStringLiteral("%1: %2").arg(fileName, error);
        if (endReports().contains(message)) return;
        endReports() << message;
        reportError(parent, message);
    });
}

} // namespace vitrinex
