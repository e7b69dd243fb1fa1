#pragma once
// The collection menu's recent entries: the last collections opened, most recent first, each a file
// that is still there. Every collection opened joins the program's list and the desktop's
// recently-used files; choosing an entry asks the main window to open that collection.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

namespace vitrinex {

class CollectionSession;

class RecentCollectionsMenu : public QObject {
    Q_OBJECT
public:
    // Adds the entries below what `menu` holds, built again each time it opens. `listPath` is the
    // program's list, `bookmarksPath` the desktop's bookmark file.
    RecentCollectionsMenu(CollectionSession& collection, QMenu* menu, QString listPath,
                          QString bookmarksPath);

signals:
    // An entry was chosen whose file is there.
    void openRequested(const QString& fileName);

private:
    void rebuild();
    void remember();
    void choose(const QString& fileName);
    // The list as it is now: files gone since are left out, and the file says so too.
    QStringList presentEntries();
    void store(const QStringList& recent);

    CollectionSession& collection_;
    QMenu* menu_;
    QAction* separator_;
    QList<QAction*> entries_;
    QStringList shown_; // what the entries name
    QString listPath_, bookmarksPath_;
};

} // namespace vitrinex
