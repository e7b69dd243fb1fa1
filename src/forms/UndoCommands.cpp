#include "forms/UndoCommands.h"

#include "forms/ErrorReport.h"
#include "model/CollectionSession.h"
#include "sound/Sound.h"

#include <QAction>
#include <QMenu>

namespace vitrinex {

UndoCommands::UndoCommands(QWidget* parent, CollectionSession& collection, QMenu* menu)
    : parent_(parent), collection_(collection) {
    const auto item = [&](const char* name, const QString& caption, const QList<QKeySequence>& keys,
                          void (UndoCommands::*run)()) {
        auto* action = new QAction(caption, menu);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, run);
        parent->addAction(action); // shortcuts work while the menu is closed
        menu->addAction(action);
        return action;
    };
    undo1 = item("undo1", QStringLiteral("undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                 &UndoCommands::undo1Click);
    redo1 = item("redo1", QStringLiteral("redo"),
                 {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                 &UndoCommands::redo1Click);
    connect(menu, &QMenu::aboutToShow, this, &UndoCommands::nameCommands);
    for (auto signal : {&CollectionSession::opened, &CollectionSession::closed})
        connect(&collection_, signal, this, [this] {
            const bool open = collection_.collection().isOpen();
            undo1->setEnabled(open);
            redo1->setEnabled(open);
        });
}

void UndoCommands::nameCommands() {
    QString undoText = QStringLiteral("undo"), redoText = QStringLiteral("redo");
    if (collection_.collection().isOpen()) {
        try {
            const std::vector<LoggedStep> steps = collection_.changes();
            for (const LoggedStep& s : steps) {
                if (!s.undone)
                    undoText = QStringLiteral("undo ") + QString::fromStdString(s.text);
                else if (redoText == QStringLiteral("redo"))
                    redoText = QStringLiteral("redo ") + QString::fromStdString(s.text);
            }
        } catch (const std::exception&) {
            // The plain names stay; the command itself tells what fails.
        }
    }
    undo1->setText(undoText);
    redo1->setText(redoText);
}

void UndoCommands::undo1Click() {
    if (!undo1->isEnabled()) return;
    Play(QString::fromLatin1(kSoundClick));
    runGuarded(parent_, [this] { collection_.undo(); });
}

void UndoCommands::redo1Click() {
    if (!redo1->isEnabled()) return;
    Play(QString::fromLatin1(kSoundClick));
    runGuarded(parent_, [this] { collection_.redo(); });
}

} // namespace vitrinex
