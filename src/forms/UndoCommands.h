#pragma once
// The main window's undo and redo (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y), in the edit menu, named for
// the step they would undo or redo ("undo delete Snowspeeder"). Both go through the session, which
// announces what changed; a refusal ("nothing to undo", a file changed by something that keeps no
// log) is shown in the message dialog.

#include <QObject>

class QAction;
class QMenu;
class QWidget;

namespace vitrinex {

class CollectionSession;

class UndoCommands : public QObject {
    Q_OBJECT
public:
    // Adds the commands to `menu`; `parent` is the window whose shortcuts they are.
    UndoCommands(QWidget* parent, CollectionSession& collection, QMenu* menu);

    void undo1Click();
    void redo1Click();
    // Names the commands for the steps they would take now.
    void nameCommands();

private:
    QWidget* parent_;
    CollectionSession& collection_;
    QAction *undo1, *redo1;
};

} // namespace vitrinex
