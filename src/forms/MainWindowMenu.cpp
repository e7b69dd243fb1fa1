// The main window's right-click menu: its commands, the tools' and the recent collections' entries.
#include "forms/MainWindow.h"

#include "collection/RecentCollections.h"
#include "collection/Win1252.h"
#include "controls/WebPageOpener.h"
#include "forms/CollectionTools.h"
#include "forms/ErrorReport.h"
#include "forms/MessageDialog.h"
#include "forms/RecentCollectionsMenu.h"
#include "forms/SettingsFile.h"
#include "forms/UndoCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

using namespace vitrinex;

void TMainForm::createMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [this](QMenu* menu, const char* name, const QString& caption, QKeySequence shortcut,
                       void (TMainForm::*handler)()) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty()) {
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WindowShortcut);
            addAction(action); // shortcuts work while the menu is closed
        }
        if (handler) connect(action, &QAction::triggered, this, handler);
        menu->addAction(action);
        return action;
    };
    auto submenu = [this](const char* name, const QString& caption) {
        QMenu* menu = PopupMenu1->addMenu(caption);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    collection1 = submenu("collection1", QStringLiteral("collection"));
    newcollection1 = item(collection1, "newcollection1", QStringLiteral("new"),
                          QKeySequence(Qt::CTRL | Qt::Key_N), &TMainForm::newcollection1Click);
    opencollection1 = item(collection1, "opencollection1", QStringLiteral("open"),
                           QKeySequence(Qt::CTRL | Qt::Key_O), &TMainForm::opencollection1Click);
    closecollection1 = item(collection1, "closecollection1", QStringLiteral("close"),
                            QKeySequence(Qt::CTRL | Qt::Key_W), &TMainForm::closecollection1Click);
    Recent = std::make_unique<RecentCollectionsMenu>(collection_, collection1, recentCollectionsPath(),
                                                     recentlyUsedBookmarksPath());
    connect(Recent.get(), &RecentCollectionsMenu::openRequested, this, &TMainForm::OpenCollectionFile);
    edit1 = submenu("edit1", QStringLiteral("edit"));
    additem1 = item(edit1, "additem1", QStringLiteral("add item"), QKeySequence(Qt::CTRL | Qt::Key_A),
                    &TMainForm::additem1Click);
    edititem1 = item(edit1, "edititem1", QStringLiteral("edit item"), QKeySequence(Qt::CTRL | Qt::Key_E),
                     &TMainForm::edititem1Click);
    deleteitem1 = item(edit1, "deleteitem1", QStringLiteral("delete item"), QKeySequence(Qt::Key_Delete),
                       &TMainForm::deleteitem1Click);
    edit1->addSeparator();
    Undo = std::make_unique<vitrinex::UndoCommands>(this, collection_, edit1);
    sound1 = submenu("sound1", QStringLiteral("options"));
    sounds1 = item(sound1, "sounds1", QStringLiteral("sounds"), {}, nullptr);
    sounds1->setCheckable(true);
    sounds1->setChecked(true);
    // The zoom is Qt's scale factor, fixed when the program starts: a new choice is kept for then.
    QMenu* zoom1 = sound1->addMenu(QStringLiteral("zoom"));
    zoom1->setObjectName(QStringLiteral("zoom1"));
    auto* zoomChoices = new QActionGroup(zoom1);
    const int keptZoom = readZoomSetting(zoomSettingPath());
    auto zoomItem = [this, &item, zoom1, zoomChoices, keptZoom](int zoom, const QString& caption) {
        QAction* action = item(zoom1, "", caption, {}, nullptr);
        action->setObjectName(QStringLiteral("zoom%1").arg(zoom));
        action->setCheckable(true);
        action->setChecked(zoom == keptZoom);
        zoomChoices->addAction(action);
        connect(action, &QAction::triggered, this, [this, zoom] {
            if (runGuarded(this, [zoom] { writeZoomSetting(zoomSettingPath(), zoom); }))
                ShowMessageDialog(QString(),
                                  QStringLiteral("The new zoom shows when Vitrinex starts again."));
        });
    };
    zoomItem(kZoomFollowsScreen, QStringLiteral("follow the screen"));
    for (int zoom : kZoomLevels)
        zoomItem(zoom, QStringLiteral("%1 %").arg(zoom));
    editcollectioninfo1 = item(sound1, "editcollectioninfo1", QStringLiteral("edit collection info"), {},
                               &TMainForm::editcollectioninfo1Click);
    tools1 = submenu("tools1", QStringLiteral("tools"));
    find1 = item(tools1, "find1", QStringLiteral("find"), QKeySequence(Qt::CTRL | Qt::Key_F),
                 &TMainForm::find1Click);
    collectionstats1 = item(tools1, "collectionstats1", QStringLiteral("stats"),
                            QKeySequence(Qt::CTRL | Qt::Key_S), &TMainForm::collectionstats1Click);
    printcollection1 = item(tools1, "printcollection1", QStringLiteral("print"),
                            QKeySequence(Qt::CTRL | Qt::Key_P), &TMainForm::printcollection1Click);
    updatecollection1 = item(tools1, "updatecollection1", QStringLiteral("update"),
                             QKeySequence(Qt::CTRL | Qt::Key_U), &TMainForm::updatecollection1Click);
    createbackup1 =
        item(tools1, "createbackup1", QStringLiteral("create backup"), {}, &TMainForm::createbackup1Click);
    exportastext1 =
        item(tools1, "exportastext1", QStringLiteral("export as text"), {}, &TMainForm::exportastext1Click);
    Tools = std::make_unique<vitrinex::CollectionTools>(this, collection_, tools1);
    connect(Tools.get(), &vitrinex::CollectionTools::editRequested, this, [this](const QString& name) {
        const int row = collection().itemList().indexOf(fromQString(name));
        if (row < 0) return;
        View->SelectItem(row);
        edititem1Click();
    });
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    help1 = item(PopupMenu1, "help1", QStringLiteral("help"), {}, &TMainForm::help1Click);
    about1 = item(PopupMenu1, "about1", QStringLiteral("about"), {}, &TMainForm::about1Click);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N3"));
    auto webLink = [&](const char* name, const QString& caption, QString (*url)()) {
        QAction* action = item(PopupMenu1, name, caption, {}, nullptr);
        connect(action, &QAction::triggered, this, [this, url] { OpenWebPage(url()); });
        return action;
    };
    QuilloryHomePage1 = webLink("QuilloryHomePage1", QStringLiteral("quillory home page"), makerHomePageUrl);
    VitrinexHomePage1 =
        webLink("VitrinexHomePage1", QStringLiteral("vitrinex home page"), vitrinexHomePageUrl);
    vitrinexcatalogs1 =
        webLink("vitrinexcatalogs1", QStringLiteral("vitrinex catalogs"), vitrinexCatalogsUrl);
    PopupMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    exitvitrinex1 =
        item(PopupMenu1, "exitvitrinex1", QStringLiteral("exit"), {}, &TMainForm::exitvitrinex1Click);
}
