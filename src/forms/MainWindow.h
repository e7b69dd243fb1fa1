#pragma once
// TMainForm, the main window: the open collection, the sorted item list with its bitmap scroll bar, the
// detail panel of the selected item with its wrapped comments, ten picture buttons and the right-click menu.

#include "controls/PictureButtons.h"
#include "forms/CollectionNotifier.h"

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
class QListWidget;
class QMenu;
class TBMPScrollBar;
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
class TLastUpdateForm;
class TUpdateForm;
class TUpdateTypeForm;
namespace vitrinex {
class CollectionTools;
}

// Comment lines as the detail panel shows them: split at CR LF, each line cut into entries of at most
// 30 characters, after the last blank among positions 2 to 30 when there is one.
QStringList WrapComments(const QString& comments);

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // The commands whose windows join the main window one by one (see openItemWindow).
    enum class ItemWindow { AddItem, EditItem, DeleteItem, Find, Print, Update, Backup, ExportText };

    // Creates the controls, the menu, and the dialogs and windows it owns.
    explicit TMainForm(QWidget* parent = nullptr);
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

    // The settings file's folder (the program's folder in a build folder); tests point it, and the help
    // file's folder with it, elsewhere before creating the window.
    static QString programFolder();
    static void setProgramFolderForTesting(const QString& folder);

signals:
    // The window was shown (the splash window closes then).
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Whether the command's window is part of the program yet, and opening it (after the click sound
    // where the command has one). Each window joins as a member created in the constructor; until
    // then its command does nothing. Tests override these to watch the commands.
    virtual bool hasItemWindow(ItemWindow which) const;
    virtual void openItemWindow(ItemWindow which);

private:
    void createControls();
    void createMenu();
    void createButtons();
    void createDialogs();
    void setDetailPanelVisible(bool visible);
    void setCaption(const std::string& win1252Caption);
    QString chooseFileToOpen();
    bool openFile(const QString& fileName);
    void openWaitingFile();
    void showOpenedCollection();
    void showHelp(const QString& helpFile);
    void runItemWindow(ItemWindow which, bool clickSound = false);
    bool hasSelection() const;
    int selectedRow() const;

    void RefreshButtons();
    void RefreshListScroll();
    void EnableItemCommands();
    void ShowItemComments();
    // Fills the detail labels from the current item.
    void ShowCurrentItem();
    // Refills the item list from the open collection, nothing selected.
    void FillItemList();
    void ListBox2Click();
    // The items changed (add, save, delete): the list is read again with nothing selected, and the
    // total label, caption and item commands follow the collection.
    void ShowChangedItems();
    // The end of the add/edit dialog's Add/Save: the entry named `nameToSelect` is selected and shown;
    // when none is (a saved item of quantity 0 is not written back), nothing is.
    void AddSaveCompletion(const QString& nameToSelect);
    // The find dialog's match: the entry at the top of the list, selected and shown.
    void ShowFoundItem(int row);

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
    // prompt, then, once confirmed, the update window.
    void UpdateCollection();
    // The update window's application step: update.dat applied to the collection the update was
    // confirmed for, while it is still open; false (after telling the user why) when nothing was.
    bool ApplyCatalogUpdate(const std::function<void(int step)>& advanceProgress);
    // The update window's stats button: the statistics window with the count of updated items.
    void ShowStatsAfterUpdate();
    // After an update, the shown item's details with its new price and net change.
    void RefreshShownItem();
    void createbackup1Click();
    // Writes the open collection's backup, calling `advanceProgress` with the bar's step (500 div the
    // item count) for each item written; returns its path. The update window's backup step calls it.
    // Throws EInOutError.
    std::string writeBackup(const std::function<void(int step)>& advanceProgress) const;
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
    void BMPScrollBar1Change();
    void BMPScrollBar2Change();
    void ListBox2MouseUp();

    // --- the open collection ------------------------------------------------------------------
    vitrinex::CollectionNotifier collection_;

    // --- controls -----------------------------------------------------------------------------
    TJPEGImage* MainJPG;
    TJPEGImage *NewJPG, *OpenJPG, *AddJPG, *EditJPG, *DeleteJPG, *PrintJPG, *CloseJPG, *UpdateJPG, *HelpJPG,
        *ExitJPG;
    QListWidget* ListBox2;
    TBMPScrollBar* BMPScrollBar1;
    QLabel* TotalLBL;
    QLabel* FigureNameLBL;
    QLabel *Label3, *YearLBL, *Label4, *SeriesLBL, *Label5, *PriceLBL, *Label6, *QuantityLBL, *Label9,
        *NetChangeLBL, *Label7, *ConditionLBL, *Label14, *CatNumLBL, *Label1;
    QListWidget* CommentsLBL;
    TBMPScrollBar* BMPScrollBar2;
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
    TNewUForm* NewUForm;   // child dialog
    TAboutForm* AboutForm; // child dialog
    TExitForm* ExitForm;   // child dialog
    TPrintForm* PrintForm; // child dialog
    TAddFigureForm* AddFigureForm; // child dialog
    TDeleteForm* DeleteForm;       // child dialog
    TFindForm* FindForm;           // child dialog
    TUpdateTypeForm* UpdateTypeForm; // child dialog
    TLastUpdateForm* LastUpdateForm; // child dialog
    // A window of its own, kept on top and not modal, owned by this window.
    TUpdateForm* UpdateForm;
    // A top-level window of its own, not a child (it is not kept above the main window).
    std::unique_ptr<TStatsForm> StatsForm;
    // The table window, CSV export and import, and restore, with their menu items.
    std::unique_ptr<vitrinex::CollectionTools> Tools;

    QString newFileName_;
    // The opening of the collection a confirmed update belongs to (OpenCollection::openingId()).
    std::uint64_t updateOpening_ = 0;
    QString waitingFile_; // named from outside, to open once the window takes input
    QString helpFile_ = QStringLiteral("Help.hlp");
    bool enterDown_ = false;
};

// The row of the line at the top of a list's view; 0 when the list shows no line.
int ListTopRow(const QListWidget* list);

// The logo area of the main window's background, bounds included.
bool IsInLogoArea(QPoint clientPos);
