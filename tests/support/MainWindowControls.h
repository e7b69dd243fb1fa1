#pragma once
// What the tests of the main window and of the windows it opens share: its controls and the windows
// it owns, found by their names as a user of the program would name them.

#include "controls/BitmapScrollBar.h"
#include "controls/PictureControl.h"
#include "controls/WebPageOpener.h"
#include "forms/AboutDialog.h"
#include "forms/CollectionInfoDialog.h"
#include "forms/ExitDialog.h"
#include "forms/MainWindow.h"
#include "forms/StatisticsWindow.h"

#include "WindowTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

namespace vitrinex::windowtest {

// The main window's controls and the windows it owns, found by their names.
struct MainControls {
    TJPEGImage *MainJPG, *NewJPG, *OpenJPG, *AddJPG, *EditJPG, *DeleteJPG, *PrintJPG, *CloseJPG, *UpdateJPG,
        *HelpJPG, *ExitJPG = nullptr;
    TItemListBox* ListBox2 = nullptr;
    QListWidget* CommentsLBL = nullptr;
    TBMPScrollBar *BMPScrollBar1, *BMPScrollBar2 = nullptr;
    QLabel *TotalLBL, *FigureNameLBL, *Label3, *YearLBL, *Label4, *SeriesLBL, *Label5, *PriceLBL, *Label6,
        *QuantityLBL, *Label9, *NetChangeLBL, *Label7, *ConditionLBL, *Label14, *CatNumLBL, *Label1 = nullptr;
    TGoToWeb* GoToWeb1 = nullptr;
    QMenu *PopupMenu1, *collection1, *edit1, *sound1, *tools1 = nullptr;
    QAction *newcollection1, *opencollection1, *closecollection1, *additem1, *edititem1, *deleteitem1,
        *sounds1, *editcollectioninfo1, *find1, *collectionstats1, *printcollection1, *updatecollection1,
        *createbackup1, *exportastext1, *help1, *about1, *QuilloryHomePage1, *VitrinexHomePage1,
        *vitrinexcatalogs1, *exitvitrinex1 = nullptr;
    TNewUForm* NewUForm = nullptr;
    TAboutForm* AboutForm = nullptr;
    TExitForm* ExitForm = nullptr;
    TStatsForm* StatsForm = nullptr;

    void find(TMainForm* main) {
        MainJPG = control<TJPEGImage>(main, "MainJPG");
        NewJPG = control<TJPEGImage>(main, "NewJPG");
        OpenJPG = control<TJPEGImage>(main, "OpenJPG");
        AddJPG = control<TJPEGImage>(main, "AddJPG");
        EditJPG = control<TJPEGImage>(main, "EditJPG");
        DeleteJPG = control<TJPEGImage>(main, "DeleteJPG");
        PrintJPG = control<TJPEGImage>(main, "PrintJPG");
        CloseJPG = control<TJPEGImage>(main, "CloseJPG");
        UpdateJPG = control<TJPEGImage>(main, "UpdateJPG");
        HelpJPG = control<TJPEGImage>(main, "HelpJPG");
        ExitJPG = control<TJPEGImage>(main, "ExitJPG");
        ListBox2 = control<TItemListBox>(main, "ListBox2");
        CommentsLBL = control<QListWidget>(main, "CommentsLBL");
        BMPScrollBar1 = control<TBMPScrollBar>(main, "BMPScrollBar1");
        BMPScrollBar2 = control<TBMPScrollBar>(main, "BMPScrollBar2");
        TotalLBL = control<QLabel>(main, "TotalLBL");
        FigureNameLBL = control<QLabel>(main, "FigureNameLBL");
        Label3 = control<QLabel>(main, "Label3");
        YearLBL = control<QLabel>(main, "YearLBL");
        Label4 = control<QLabel>(main, "Label4");
        SeriesLBL = control<QLabel>(main, "SeriesLBL");
        Label5 = control<QLabel>(main, "Label5");
        PriceLBL = control<QLabel>(main, "PriceLBL");
        Label6 = control<QLabel>(main, "Label6");
        QuantityLBL = control<QLabel>(main, "QuantityLBL");
        Label9 = control<QLabel>(main, "Label9");
        NetChangeLBL = control<QLabel>(main, "NetChangeLBL");
        Label7 = control<QLabel>(main, "Label7");
        ConditionLBL = control<QLabel>(main, "ConditionLBL");
        Label14 = control<QLabel>(main, "Label14");
        CatNumLBL = control<QLabel>(main, "CatNumLBL");
        Label1 = control<QLabel>(main, "Label1");
        GoToWeb1 = control<TGoToWeb>(main, "GoToWeb1");
        PopupMenu1 = control<QMenu>(main, "PopupMenu1");
        collection1 = control<QMenu>(main, "collection1");
        edit1 = control<QMenu>(main, "edit1");
        sound1 = control<QMenu>(main, "sound1");
        tools1 = control<QMenu>(main, "tools1");
        newcollection1 = control<QAction>(main, "newcollection1");
        opencollection1 = control<QAction>(main, "opencollection1");
        closecollection1 = control<QAction>(main, "closecollection1");
        additem1 = control<QAction>(main, "additem1");
        edititem1 = control<QAction>(main, "edititem1");
        deleteitem1 = control<QAction>(main, "deleteitem1");
        sounds1 = control<QAction>(main, "sounds1");
        editcollectioninfo1 = control<QAction>(main, "editcollectioninfo1");
        find1 = control<QAction>(main, "find1");
        collectionstats1 = control<QAction>(main, "collectionstats1");
        printcollection1 = control<QAction>(main, "printcollection1");
        updatecollection1 = control<QAction>(main, "updatecollection1");
        createbackup1 = control<QAction>(main, "createbackup1");
        exportastext1 = control<QAction>(main, "exportastext1");
        help1 = control<QAction>(main, "help1");
        about1 = control<QAction>(main, "about1");
        QuilloryHomePage1 = control<QAction>(main, "QuilloryHomePage1");
        VitrinexHomePage1 = control<QAction>(main, "VitrinexHomePage1");
        vitrinexcatalogs1 = control<QAction>(main, "vitrinexcatalogs1");
        exitvitrinex1 = control<QAction>(main, "exitvitrinex1");

        NewUForm = control<TNewUForm>(main, "NewUForm");
        AboutForm = control<TAboutForm>(main, "AboutForm");
        ExitForm = control<TExitForm>(main, "ExitForm");
        StatsForm = topLevelControl<TStatsForm>("StatsForm");
    }
};

} // namespace vitrinex::windowtest

namespace windowtest = vitrinex::windowtest;
