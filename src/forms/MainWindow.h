#pragma once
// TMainForm, the main window: the open collection and its commands, from ten picture buttons and the
// right-click menu; the item list and the detail panel are its CollectionView.

#include "controls/PictureButtons.h"
#include "forms/CollectionView.h"
#include "model/CollectionSession.h"
#include "update/CatalogUpdate.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QMenu;
class TGoToWeb;
class TJPEGImage;
class TJustOne32;
class TAboutForm;
class TAddFigureForm;
class TDeleteForm;
class TFindForm;
class TExitForm;
class TNewUForm;
class TPrintForm;
class TStatsForm;
class TValueForm;
class TLastUpdateForm;
class TUpdateForm;
class TUpdateTypeForm;
namespace vitrinex {
class CollectionTools;
class PhotoTools;
class RecentCollectionsMenu;
class UndoCommands;
} // namespace vitrinex

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Creates the controls, the menu, and the dialogs and windows it owns. `programFolder` holds the
    // settings file and the help file; empty means the running program's own places.
    explicit TMainForm(QWidget* parent = nullptr, QString programFolder = {});
    ~TMainForm() override; // writes the settings file in the program's folder

    // The open collection, read-only; its changes go through the main window's commands.
    const vitrinex::OpenCollection& collection() const { return collection_.collection(); }

    // Selects a list line and shows its item, as a click on it does.
    void SelectItem(int row);

    // Opens a collection named from outside (the command line, or a later copy of the program) as soon
    // as the window takes input and no dialog is open over it: the open collection, saved with every
    // change, is closed first, unless the new file cannot be read. A later request replaces one still
    // waiting.
    void OpenCollectionFile(const QString& fileName);

    // The help file the "help" menu command shows: "Help.hlp" at first, the program folder's file
    // once the Help button has been used.
    QString HelpFile() const { return helpFile_; }

signals:
    // The window was shown (the splash window closes then).
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The settings file's folder: the one given, or the running program's.
    QString settingsFolder() const;
    void createControls();
    void createMenu();
    void createButtons();
    void createDialogs();
    void setCaption(const std::string& win1252Caption);
    QString chooseFileToOpen();
    bool openFile(const QString& fileName);
    // Tells what opening mended: a cut-short save put back, damaged records set aside.
    void tellOpenNotices(const QString& fileName, bool recoveredSave, bool damaged);
    void openWaitingFile();
    void showOpenedCollection();
    void showHelp(const QString& helpFile);
    bool hasSelection() const;

    void RefreshButtons();
    void EnableItemCommands();
    // The items changed (add, save, delete): the caption and item commands follow the collection.
    void ShowChangedItems();

    // The collection-information dialog's requests. Each answers the dialog by taking its entry when
    // it succeeded; a failure is reported over the dialog, which stays open.
    void CreateNewCollection(const QString& name, const QString& brand, const QString& year);
    void ChangeCollectionInfo(const QString& name, const QString& brand, const QString& year);

    // --- commands -----------------------------------------------------------------------------
    void newcollection1Click();
    void opencollection1Click();
    void OpenCollectionFromButton();
    void closecollection1Click();
    void additem1Click();
    void edititem1Click();
    void deleteitem1Click();
    void editcollectioninfo1Click();
    void find1Click();
    void collectionstats1Click();
    void printcollection1Click();
    void updatecollection1Click();
    // The update command's work: the update-type prompt (no catalog chosen yet) or the last-update
    // prompt, then, once confirmed, the update in the update window.
    void UpdateCollection();
    // The update window's stats button: the statistics window with the count of updated items.
    void ShowStatsAfterUpdate();
    void createbackup1Click();
    void exportastext1Click();
    // The print window, then the print on the printer chosen there.
    void PrintCollectionList();
    // Writes the text export and tells its name.
    void ExportAsText();
    void help1Click();
    void HelpJPGClick();
    void about1Click();
    void exitvitrinex1Click();
    void OpenWebPage(const QString& url);

    void MainJPGMouseMove(QPoint pos);
    void MainJPGMouseDown(Qt::MouseButton button, QPoint pos);

    // --- the open collection ------------------------------------------------------------------
    vitrinex::CollectionSession collection_;
    // The catalog update, shown by the update window.
    vitrinex::update::CatalogUpdate catalogUpdate_{collection_};

    // --- controls -----------------------------------------------------------------------------
    TJPEGImage* MainJPG;
    TJPEGImage *NewJPG, *OpenJPG, *AddJPG, *EditJPG, *DeleteJPG, *PrintJPG, *CloseJPG, *UpdateJPG, *HelpJPG,
        *ExitJPG;
    vitrinex::CollectionView* View;
    TGoToWeb* GoToWeb1;
    TJustOne32* JustOne321;

    QMenu* PopupMenu1;
    QMenu *collection1, *edit1, *sound1, *tools1;
    QAction *newcollection1, *opencollection1, *closecollection1;
    QAction *additem1, *edititem1, *deleteitem1;
    QAction *sounds1, *editcollectioninfo1;
    QAction *find1, *collectionstats1, *printcollection1, *updatecollection1, *createbackup1, *exportastext1;
    QAction *help1, *about1, *QuilloryHomePage1, *VitrinexHomePage1, *vitrinexcatalogs1, *exitvitrinex1;

    vitrinex::PictureButtons Buttons;

    // --- the windows it owns ------------------------------------------------------------------
    TNewUForm* NewUForm;             // child dialog
    TAboutForm* AboutForm;           // child dialog
    TExitForm* ExitForm;             // child dialog
    TPrintForm* PrintForm;           // child dialog
    TAddFigureForm* AddFigureForm;   // child dialog
    TDeleteForm* DeleteForm;         // child dialog
    TFindForm* FindForm;             // child dialog
    TUpdateTypeForm* UpdateTypeForm; // child dialog
    TLastUpdateForm* LastUpdateForm; // child dialog
    // A window of its own, kept on top and not modal, owned by this window.
    TUpdateForm* UpdateForm;
    // A top-level window of its own, not a child (it is not kept above the main window).
    std::unique_ptr<TStatsForm> StatsForm;
    // The value over time, opened from the statistics window; a top-level window like it.
    std::unique_ptr<TValueForm> ValueForm;
    // The table window, CSV export and import, and restore, with their menu items.
    std::unique_ptr<vitrinex::CollectionTools> Tools;
    // The cover in the detail panel and the photos window, with its menu item.
    std::unique_ptr<vitrinex::PhotoTools> Photos;
    // Undo and redo, in the edit menu.
    std::unique_ptr<vitrinex::UndoCommands> Undo;
    // The collection menu's recent collections.
    std::unique_ptr<vitrinex::RecentCollectionsMenu> Recent;

    QString newFileName_;
    QString waitingFile_; // named from outside, to open once the window takes input
    QString helpFile_ = QStringLiteral("Help.hlp");
    QString programFolder_; // empty: the running program's places
    bool enterDown_ = false;
};

// The logo area of the main window's background, bounds included.
bool IsInLogoArea(QPoint clientPos);
