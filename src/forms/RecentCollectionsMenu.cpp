#include "forms/RecentCollectionsMenu.h"

#include "collection/RecentCollections.h"
#include "forms/MessageDialog.h"
#include "model/CollectionSession.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <exception>
#include <utility>

namespace vitrinex {
namespace {

// The entry's caption: the file's name, with its folder when another entry has the same name.
QString captionFor(const QString& path, const QStringList& all) {
    const QString name = QFileInfo(path).fileName();
    qsizetype sameName = 0;
    for (const QString& other : all)
        if (QFileInfo(other).fileName() == name) ++sameName;
    QString caption =
        sameName > 1 ? QStringLiteral("%1  (%2)").arg(name, QDir::toNativeSeparators(QFileInfo(path).path()))
                     : name;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

RecentCollectionsMenu::RecentCollectionsMenu(CollectionSession& collection, QMenu* menu, QString listPath,
                                             QString bookmarksPath)
    : collection_(collection), menu_(menu), listPath_(std::move(listPath)),
      bookmarksPath_(std::move(bookmarksPath)) {
    separator_ = menu_->addSeparator();
    separator_->setObjectName(QStringLiteral("recentseparator1"));
    menu_->setToolTipsVisible(true);
    connect(menu_, &QMenu::aboutToShow, this, &RecentCollectionsMenu::rebuild);
    connect(&collection_, &CollectionSession::opened, this, &RecentCollectionsMenu::remember);
    rebuild();
}

QStringList RecentCollectionsMenu::presentEntries() {
    const QStringList listed = readRecentCollections(listPath_);
    const QStringList present =
        withoutMissing(listed, [](const QString& path) { return QFileInfo::exists(path); });
    if (present != listed) store(present);
    return present;
}

void RecentCollectionsMenu::store(const QStringList& recent) {
    // The list is a convenience: a settings folder that cannot be written costs only the entries.
    try {
        writeRecentCollections(listPath_, recent);
    } catch (const std::exception&) {
    }
}

void RecentCollectionsMenu::rebuild() {
    const QStringList recent = presentEntries();
    if (recent == shown_ && !entries_.isEmpty()) return;
    shown_ = recent;
    // An entry may be the one being chosen now: it goes once its signal has run.
    for (QAction* old : std::exchange(entries_, {})) {
        menu_->removeAction(old);
        old->setObjectName(QString());
        old->deleteLater();
    }
    for (qsizetype i = 0; i < recent.size(); ++i) {
        auto* action = new QAction(captionFor(recent[i], recent), menu_);
        action->setObjectName(QStringLiteral("recent%1").arg(i + 1));
        action->setToolTip(QDir::toNativeSeparators(recent[i]));
        connect(action, &QAction::triggered, this, [this, path = recent[i]] { choose(path); });
        menu_->addAction(action);
        entries_ << action;
    }
    separator_->setVisible(!recent.isEmpty());
}

void RecentCollectionsMenu::remember() {
    const QString path =
        QFileInfo(QFile::decodeName(collection_.collection().fileName().c_str())).absoluteFilePath();
    store(withOpened(readRecentCollections(listPath_), path));
    // The desktop's list is the user's own file, shared with every program: one that cannot be read
    // or written safely is left as it is, and the open goes on.
    try {
        addToRecentlyUsed(bookmarksPath_, path, QDateTime::currentDateTimeUtc());
    } catch (const std::exception&) {
    }
    rebuild();
}

void RecentCollectionsMenu::choose(const QString& fileName) {
    if (!QFileInfo::exists(fileName)) {
        rebuild(); // without it
        ShowMessageDialog(QStringLiteral("file not found"), QStringLiteral("file does not exist!"));
        return;
    }
    emit openRequested(fileName);
}

} // namespace vitrinex
