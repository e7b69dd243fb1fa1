#pragma once
// TMainForm, the main window: the open collection, the sorted item list with its bitmap scroll bar, the
// detail panel of the selected item with its wrapped comments, ten picture buttons and the right-click menu.

#include "collection/OpenCollection.h"
#include "controls/PictureButtons.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class TBMPScrollBar;
class TGoToWeb;
class TJPEGImage;
class TJustOne32;

// Comment lines as the detail panel shows them: split at CR LF, each line cut into entries of at most
// 30 characters, after the last blank among positions 2 to 30 when there is one.
QStringList WrapComments(const QString& comments);

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // The commands whose windows join the main window one by one; until a command's window is
    // registered, the command does nothing.
    enum class ItemWindow { AddItem, EditItem, DeleteItem, Find, Print, Update, Backup, ExportText };

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override; // writes the settings file in the program's folder

    // --- the open collection --------------------------------------------------------------
    vitrinex::OpenCollection Collection;

    // --- controls ---------------------------------------------------------------------------
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

    // --- operations other windows call ------------------------------------------------------
    void RefreshButtons();
    void RefreshListScroll();
    void EnableItemCommands();
    void ShowItemComments();
    // Fills the detail labels from CurrentItem.
    void ShowCurrentItem();
    // Refills the item list from the open collection, nothing selected.
    void FillItemList();
    // Selects a list line and shows its item, as a click on it does.
    void SelectItem(int row);
    void ListBox2Click();

    // The new-collection dialog's OK: creates the file chosen by the new command and shows the
    // collection. Throws EInOutError; on failure nothing has changed.
    void CreateNewCollection(const QString& name, const QString& brand, const QString& year);
    // The collection-information dialog's OK in edit mode: saves the new values and reads the file
    // back. Throws; on failure the old values stay.
    void ChangeCollectionInfo(const QString& name, const QString& brand, const QString& year);
    // The file the new command chose, waiting for the dialog's OK.
    QString NewCollectionFileName() const { return newFileName_; }

    // Registers the window behind an item command. Add, edit, delete and print play their click sound
    // before `open` runs.
    void setItemWindow(ItemWindow which, std::function<void()> open);

    // The help file the "help" menu command shows: "Help.hlp" at first, the program folder's file
    // once the Help button has been used.
    QString HelpFile() const { return helpFile_; }

    // The program's folder (settings and help file); tests point it elsewhere before creating the window.
    static QString programFolder();
    static void setProgramFolderForTesting(const QString& folder);

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
    void createbackup1Click();
    void exportastext1Click();
    void help1Click();
    void HelpJPGClick();
    void about1Click();
    void exitvitrinex1Click();
    void OpenWebPage(const QString& url);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createMenu();
    void createButtons();
    void setDetailPanelVisible(bool visible);
    void setCaption(const std::string& win1252Caption);
    QString chooseFileToOpen();
    bool openFile(const QString& fileName);
    void showOpenedCollection();
    void showHelp(const QString& helpFile);
    // Opens the registered window of an item command, after the click sound when the command has one.
    void runItemWindow(ItemWindow which, bool clickSound = false);
    bool hasSelection() const;
    int selectedRow() const;
    void MainJPGMouseMove(QPoint pos);
    void MainJPGMouseDown(Qt::MouseButton button, QPoint pos);
    void BMPScrollBar1Change();
    void BMPScrollBar2Change();
    void ListBox2MouseUp();

    QString newFileName_;
    QString helpFile_ = QStringLiteral("Help.hlp");
    std::map<ItemWindow, std::function<void()>> itemWindows_;
    bool enterDown_ = false;
};

extern TMainForm* MainForm;

// The logo area of the main window's background, bounds included.
bool IsInLogoArea(QPoint clientPos);
