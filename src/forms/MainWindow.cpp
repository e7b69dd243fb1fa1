#include "forms/MainWindow.h"

#include "Version.h"

#include "collection/InOutError.h"
#include "collection/UpdatePrompts.h"
#include "collection/Win1252.h"
#include "controls/BitmapScrollBar.h"
#include "controls/PictureControl.h"
#include "controls/SingleInstanceGuard.h"
#include "controls/WebPageOpener.h"
#include "forms/AboutDialog.h"
#include "forms/CollectionInfoDialog.h"
#include "forms/CollectionTools.h"
#include "forms/DeleteDialog.h"
#include "forms/ErrorReport.h"
#include "forms/ExitDialog.h"
#include "forms/FileDrops.h"
#include "forms/FindDialog.h"
#include "forms/ItemDialog.h"
#include "forms/LastUpdateDialog.h"
#include "forms/MessageDialog.h"
#include "forms/PhotoTools.h"
#include "forms/PrintDialog.h"
#include "forms/RecentCollectionsMenu.h"
#include "forms/SettingsFile.h"
#include "forms/SkinnedWindow.h"
#include "forms/StatisticsWindow.h"
#include "forms/UndoCommands.h"
#include "forms/UpdateTypeDialog.h"
#include "forms/UpdateWindow.h"
#include "forms/ValueWindow.h"
#include "platform/ApplicationEnd.h"
#include "platform/FileDialogs.h"
#include "platform/FilePlaces.h"
#include "platform/HelpViewer.h"
#include "reports/Backup.h"
#include "reports/TextExport.h"
#include "sound/Sound.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <utility>

using namespace vitrinex;

namespace {

// How often a file named from outside looks again whether the window takes input.
constexpr int kWaitingFileRetryMs = 100;
const QString kNoCollectionCaption = QString::fromLatin1(kApplicationTitle);

enum ButtonGroup { kAlwaysGroup = 0, kNoCollectionGroup = 1, kCollectionGroup = 2 };

} // namespace

bool IsInLogoArea(QPoint p) {
    return p.x() >= 29 && p.x() <= 117 && p.y() >= 24 && p.y() <= 90;
}

QString TMainForm::settingsFolder() const {
    return programFolder_.isEmpty() ? vitrinex::filePlaces().settingsFolder : programFolder_;
}

TMainForm::TMainForm(QWidget* parent, QString programFolder)
    : QWidget(parent), collection_(CollectionSession::Staleness::Refuse, this), Buttons(this),
      programFolder_(std::move(programFolder)) {
    setUpSkinnedWindow(this, QStringLiteral("MainForm"), kNoCollectionCaption, QSize(501, 399));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose);

    createControls();
    createMenu();
    createButtons();
    createDialogs();
    auto* drops = new FileDrops(this);
    connect(drops, &FileDrops::collectionDropped, this, &TMainForm::OpenCollectionFile);
    connect(drops, &FileDrops::csvDropped, Tools.get(), &CollectionTools::offerCsvImport);
    // After the file drops: image files dropped on the detail panel are taken first.
    Photos = std::make_unique<PhotoTools>(this, collection_, *View, edit1);

    GoToWeb1 = new TGoToWeb(this);
    GoToWeb1->setObjectName(QStringLiteral("GoToWeb1"));
    // Created with the window, after the program's title is set: a second copy of the program hands
    // over to the first here.
    JustOne321 = new TJustOne32(this);
    JustOne321->setObjectName(QStringLiteral("JustOne321"));

    // FormCreate: the sound switch from the settings file, then the start values.
    sounds1->setChecked(readSoundsSetting(settingsFolder()));
    Sounds::bindSwitch(sounds1);
    EnableItemCommands();
    RefreshButtons();
    centerOnScreen(this);
}

TMainForm::~TMainForm() {
    // FormDestroy: the settings line is rewritten every time, changed or not.
    const bool soundsOn = sounds1->isChecked();
    const QString path = settingsPathIn(settingsFolder());
    runGuardedAtEnd(nullptr, path, [&path, soundsOn] { writeSoundsSetting(path, soundsOn); });
}

void TMainForm::createControls() {
    MainJPG = addBackground(this, QStringLiteral("MainJPG"), QStringLiteral("mainbg14.jpg"));
    PictureButtons::setHint(MainJPG, QStringLiteral("click the right mouse button for main menu"));
    connect(MainJPG, &TJPEGImage::MouseMove, this,
            [this](Qt::MouseButtons, QPoint pos) { MainJPGMouseMove(pos); });
    connect(MainJPG, &TJPEGImage::MouseDown, this, &TMainForm::MainJPGMouseDown);
    Buttons.attachBackground(MainJPG);

    View = new CollectionView(collection_, Buttons, this);
    connect(View, &CollectionView::editRequested, this, [this] { edititem1Click(); });
    connect(View, &CollectionView::priceChartRequested, this, [this] {
        if (const TFigureNode* item = collection().currentItem())
            Tools->showPriceChart(toQString(item->Record.FigureName.view()));
    });
    connect(View, &CollectionView::editKeyDown, this, [this] { enterDown_ = Buttons.enterPressed(EditJPG); });
    connect(View, &CollectionView::editKeyUp, this, [this] {
        if (std::exchange(enterDown_, false)) Buttons.enterReleased(EditJPG);
    });
}

void TMainForm::createDialogs() {
    NewUForm = new TNewUForm(this);
    connect(NewUForm, &TNewUForm::createRequested, this, &TMainForm::CreateNewCollection);
    connect(NewUForm, &TNewUForm::changeRequested, this, &TMainForm::ChangeCollectionInfo);
    AboutForm = new TAboutForm(this);
    AddFigureForm = new TAddFigureForm(collection_, this);
    connect(AddFigureForm, &TAddFigureForm::addSaveCompleted, View, &CollectionView::AddSaveCompletion);
    DeleteForm = new TDeleteForm(collection_, this);
    ExitForm = new TExitForm(this);
    PrintForm = new TPrintForm(this);
    StatsForm = std::make_unique<TStatsForm>();
    StatsForm->follow(&collection_);
    ValueForm = std::make_unique<TValueForm>();
    ValueForm->follow(&collection_);
    connect(StatsForm.get(), &TStatsForm::valueWindowRequested, ValueForm.get(), &TValueForm::showWindow);
    connect(&collection_, &CollectionSession::infoChanged, this,
            [this] { setCaption(collection().captionWithValue()); });
    connect(&collection_, &CollectionSession::itemsChanged, this, &TMainForm::ShowChangedItems);
    FindForm = new TFindForm(collection_, this);
    connect(FindForm, &TFindForm::found, View, &CollectionView::ShowFoundItem);

    UpdateTypeForm = new TUpdateTypeForm(this);
    LastUpdateForm = new TLastUpdateForm(this);
    UpdateForm = new TUpdateForm(catalogUpdate_, this);
    // Installed, update.dat goes to the user's data folder instead of wherever the program was started.
    if (vitrinex::filePlaces().installed)
        catalogUpdate_.setUpdateFileName(
            QFile::encodeName(vitrinex::filePlaces().updateFilePath()).toStdString());
    connect(UpdateForm, &TUpdateForm::okClicked, View, &CollectionView::RefreshShownItem);
    connect(UpdateForm, &TUpdateForm::statsClicked, this, &TMainForm::ShowStatsAfterUpdate);
    StatsForm->OnClosedAfterUpdate = [this] {
        if (catalogUpdate_.isFinished()) View->RefreshShownItem();
    };
    connect(&collection_, &CollectionSession::updated, this,
            [this] { setCaption(collection().captionWithValue()); });
    // A save refused for a file changed elsewhere read the file again: show it as it is now.
    connect(&collection_, &CollectionSession::reloaded, this, &TMainForm::showOpenedCollection);
}

void TMainForm::createButtons() {
    auto button = [this](const char* name, const char* picture, SkinList list, int index, QPoint pos,
                         const char* hint, int group, void (TMainForm::*action)()) {
        TJPEGImage* b =
            addPictureButton(this, Buttons, QString::fromLatin1(name), QString::fromLatin1(picture), list,
                             index, pos, QString::fromLatin1(hint), group);
        Buttons.setAction(b, [this, action] { (this->*action)(); });
        return b;
    };
    HelpJPG = button("HelpJPG", "helpoff.jpg", SkinList::ImageList1, 2, {392, 23}, "click for help",
                     kAlwaysGroup, &TMainForm::HelpJPGClick);
    UpdateJPG = button("UpdateJPG", "updateoff.jpg", SkinList::ImageList1, 4, {396, 66},
                       "click to update collection", kAlwaysGroup, &TMainForm::updatecollection1Click);
    ExitJPG = button("ExitJPG", "bexitoff.jpg", SkinList::ImageList1, 0, {398, 109}, "click to exit vitrinex",
                     kAlwaysGroup, &TMainForm::exitvitrinex1Click);
    NewJPG = button("NewJPG", "newoff.jpg", SkinList::ImageList4, 0, {148, 52},
                    "click to create a new collection", kNoCollectionGroup, &TMainForm::newcollection1Click);
    OpenJPG = button("OpenJPG", "openoff.jpg", SkinList::ImageList4, 2, {192, 92}, "click to open collection",
                     kNoCollectionGroup, &TMainForm::OpenCollectionFromButton);
    AddJPG = button("AddJPG", "maddoff.jpg", SkinList::ImageList3, 0, {150, 50}, "click to add a new item",
                    kCollectionGroup, &TMainForm::additem1Click);
    CloseJPG = button("CloseJPG", "mcloseoff.jpg", SkinList::ImageList3, 2, {280, 97},
                      "click to close collection", kCollectionGroup, &TMainForm::closecollection1Click);
    DeleteJPG =
        button("DeleteJPG", "mdeleteoff.jpg", SkinList::ImageList3, 4, {281, 46},
               "click to delete currently selected item", kCollectionGroup, &TMainForm::deleteitem1Click);
    EditJPG = button("EditJPG", "meditoff.jpg", SkinList::ImageList3, 6, {217, 68},
                     "click to edit currently selected item", kCollectionGroup, &TMainForm::edititem1Click);
    PrintJPG = button("PrintJPG", "mprintoff.jpg", SkinList::ImageList3, 8, {152, 95},
                      "click to print collection", kCollectionGroup, &TMainForm::printcollection1Click);

    Buttons.setReactCondition(
        UpdateJPG, [this] { return collection().isOpen() && collection().totals().ItemCount > 0; });
    Buttons.setReactCondition(DeleteJPG, [this] { return hasSelection(); });
    Buttons.setReactCondition(EditJPG, [this] { return hasSelection(); });
    Buttons.setReactCondition(PrintJPG, [this] { return collection().totals().ItemCount > 0; });
}

// --- states ---------------------------------------------------------------------------------------

void TMainForm::RefreshButtons() {
    const bool open = collection().isOpen();
    NewJPG->setVisible(!open);
    OpenJPG->setVisible(!open);
    for (TJPEGImage* b : {AddJPG, EditJPG, DeleteJPG, PrintJPG, CloseJPG})
        b->setVisible(open);
    for (TJPEGImage* b : {HelpJPG, UpdateJPG, ExitJPG}) {
        b->setVisible(true);
        b->clearLook();
    }
}

void TMainForm::EnableItemCommands() {
    const bool open = collection().isOpen();
    const bool hasItems = open && collection().totals().ItemCount > 0;
    newcollection1->setEnabled(!open);
    opencollection1->setEnabled(!open);
    closecollection1->setEnabled(open);
    additem1->setEnabled(open);
    editcollectioninfo1->setEnabled(open);
    for (QAction* a : {edititem1, deleteitem1, find1, collectionstats1, printcollection1, updatecollection1,
                       createbackup1, exportastext1})
        a->setEnabled(hasItems);
}

void TMainForm::setCaption(const std::string& caption) {
    setWindowTitle(toQString(caption));
}

bool TMainForm::hasSelection() const {
    return View->hasSelection();
}

void TMainForm::SelectItem(int row) {
    View->SelectItem(row);
}

void TMainForm::ShowChangedItems() {
    setCaption(collection().captionWithValue());
    EnableItemCommands();
}

// --- the background -------------------------------------------------------------------------------

void TMainForm::MainJPGMouseMove(QPoint pos) {
    MainJPG->setCursor(IsInLogoArea(pos) ? Qt::WhatsThisCursor : Qt::ArrowCursor);
}

void TMainForm::MainJPGMouseDown(Qt::MouseButton button, QPoint pos) {
    if (button == Qt::LeftButton && IsInLogoArea(pos)) about1Click();
}

void TMainForm::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
    event->accept();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // The close box ends the program, whatever other windows are still open.
    QWidget::closeEvent(event);
    if (event->isAccepted()) vitrinex::requestApplicationEnd();
}

void TMainForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit shown();
}

// --- collection commands --------------------------------------------------------------------------

void TMainForm::newcollection1Click() {
    if (!newcollection1->isEnabled()) return;
    const QString chosen = FileDialogs::getSaveFileName(this, QStringLiteral("fcd"),
                                                        QStringLiteral("figure collector document|*.fcd"),
                                                        QStringLiteral("untitled"));
    if (chosen.isEmpty()) return;
    newFileName_ = chosen;
    Play(kSoundClick);
    NewUForm->ShowCreate();
}

void TMainForm::CreateNewCollection(const QString& name, const QString& brand, const QString& year) {
    // On failure nothing has changed.
    if (!runGuarded(NewUForm, [&] { collection_.create(newFileName_, name, brand, year); })) return;
    setCaption(collection().captionNameOnly());
    EnableItemCommands();
    RefreshButtons();
    NewUForm->takeEntry();
}

QString TMainForm::chooseFileToOpen() {
    return FileDialogs::getOpenFileName(
        this, QStringLiteral("fcd"),
        QStringLiteral(
            "figure collector document (*.fcd)|*.fcd|backup document (*.bak)|*.bak|All Files (*.*)|*.*"));
}

void TMainForm::opencollection1Click() {
    const QString chosen = chooseFileToOpen();
    if (!chosen.isEmpty()) openFile(chosen);
}

void TMainForm::OpenCollectionFromButton() {
    const QString chosen = chooseFileToOpen();
    if (chosen.isEmpty()) return;
    // Only the button looks first; from the menu a missing file is the open's own "File not found".
    if (!QFileInfo::exists(chosen)) {
        ShowMessageDialog(QStringLiteral("file not found"), QStringLiteral("file does not exist!"));
        return;
    }
    openFile(chosen);
}

bool TMainForm::openFile(const QString& fileName) {
    // A file that cannot be read whole, or an open cancelled, leaves the window as it was: no
    // half-open collection.
    const bool large = QFileInfo(fileName).size() / std::int64_t(kRecordSize) > kLargeCollectionItems;
    if (!runWithProgress(this, QStringLiteral("open"), QStringLiteral("reading the collection . . ."), large,
                         nullptr, [&](const Progress& progress) { collection_.open(fileName, progress); }))
        return false;
    showOpenedCollection();
    Play(kSoundOpen);
    tellOpenNotices(fileName, collection().recoveredSave(), true);
    return true;
}

void TMainForm::tellOpenNotices(const QString& fileName, bool recoveredSave, bool damaged) {
    const std::string shown = fromQString(QFileInfo(fileName).fileName());
    for (const UserMessage& m :
         {recoveredSave ? interruptedSaveMessage(shown) : UserMessage{},
          !damaged || !collection().readOnly() ? UserMessage{} : readOnlyOpenedMessage(shown),
          !damaged || collection().damaged().empty() ? UserMessage{}
                                                     : damagedRecordsMessage(shown, collection().damaged())})
        if (!m.title.empty()) ShowMessageDialog(toQString(m.title), toQString(m.text));
}

void TMainForm::OpenCollectionFile(const QString& fileName) {
    const bool alreadyWaiting = !waitingFile_.isEmpty();
    waitingFile_ = fileName;
    if (!alreadyWaiting) openWaitingFile();
}

void TMainForm::openWaitingFile() {
    if (waitingFile_.isEmpty()) return;
    // Not while the splash keeps the window disabled or a dialog is open over it: the user is in the
    // middle of something there.
    if (!isEnabled() || !isVisible() || QApplication::activeModalWidget()) {
        QTimer::singleShot(kWaitingFileRetryMs, this, &TMainForm::openWaitingFile);
        return;
    }
    const QString fileName = std::exchange(waitingFile_, QString());
    if (collection().isOpen()) {
        // A file that cannot be read whole must not cost the collection that is open: read it once
        // on the side before closing.
        OpenCollection side;
        if (!runGuarded(this, [&] { side.LoadCollection(QFile::encodeName(fileName).toStdString()); }))
            return;
        closecollection1Click();
        if (collection().isOpen()) return; // the close failed and said so; the collection stays
        // The side read put back a cut-short save: the user hears of it with the open.
        if (openFile(fileName) && side.recoveredSave()) tellOpenNotices(fileName, true, false);
        return;
    }
    openFile(fileName);
}

void TMainForm::showOpenedCollection() {
    EnableItemCommands();
    setCaption(collection().captionWithValue());
    RefreshButtons();
}

void TMainForm::editcollectioninfo1Click() {
    if (!editcollectioninfo1->isEnabled() || refusedAsReadOnly(collection())) return;
    Play(kSoundClick);
    NewUForm->ShowEdit(toQString(collection().header().CollectionName),
                       toQString(collection().header().Brand),
                       toQString(collection().header().CollectionYear));
}

void TMainForm::ChangeCollectionInfo(const QString& name, const QString& brand, const QString& year) {
    // On a failed save the old values stay. Once the file holds the new information the caption says
    // so (infoChanged), even if reading it back fails.
    if (!runGuarded(NewUForm, [&] { collection_.changeInfo(name, brand, year); })) return;
    setCaption(collection().captionWithValue());
    NewUForm->takeEntry();
}

void TMainForm::closecollection1Click() {
    if (!closecollection1->isEnabled()) return;
    // One save, guarded: a save that fails or is cancelled leaves the collection open, with nothing
    // lost.
    if (!runWithProgress(this, QStringLiteral("close"), QStringLiteral("saving the collection . . ."),
                         collection().totals().ItemCount > kLargeCollectionItems, &collection_,
                         [this](const Progress& progress) { collection_.close(progress); }))
        return;
    EnableItemCommands();
    setWindowTitle(kNoCollectionCaption);
    RefreshButtons();
    Play(kSoundClose);
}

// --- item commands: the click sound, where the command has one, comes before its window ---------

void TMainForm::additem1Click() {
    if (!additem1->isEnabled() || refusedAsReadOnly(collection())) return;
    Play(kSoundClick);
    AddFigureForm->ShowAdd(toQString(collection().statsTitle()));
}
void TMainForm::edititem1Click() {
    if (!edititem1->isEnabled() || !hasSelection() || refusedAsReadOnly(collection())) return;
    Play(kSoundClick);
    AddFigureForm->ShowEdit(toQString(collection().statsTitle()));
}
void TMainForm::deleteitem1Click() {
    if (!deleteitem1->isEnabled() || !hasSelection() || refusedAsReadOnly(collection())) return;
    Play(kSoundClick);
    if (collection().currentItem())
        DeleteForm->ShowFor(toQString(collection().currentItem()->Record.FigureName.view()));
}
void TMainForm::find1Click() {
    if (find1->isEnabled()) FindForm->ShowBeside(pos());
}
void TMainForm::printcollection1Click() {
    if (collection().totals().ItemCount == 0) return;
    Play(kSoundClick);
    PrintCollectionList();
}
void TMainForm::updatecollection1Click() {
    if (collection().isOpen() && collection().totals().ItemCount > 0 && !refusedAsReadOnly(collection()))
        UpdateCollection();
}
void TMainForm::UpdateCollection() {
    std::string chosenType;
    if (hasUpdateType(collection())) {
        LastUpdateForm->setQuestion(toQString(lastUpdateQuestion(collection())));
        Play(kSoundClick);
        if (LastUpdateForm->exec() != QDialog::Accepted) return;
    } else {
        if (UpdateTypeForm->exec() != QDialog::Accepted) return;
        chosenType = UpdateTypeForm->ChosenType();
    }
    // An update still running gives way to the new one.
    if (UpdateForm->isVisible()) UpdateForm->close();
    UpdateForm->show();
    UpdateForm->raise();
    catalogUpdate_.start(QDate::currentDate(), chosenType);
}

void TMainForm::ShowStatsAfterUpdate() {
    StatsForm->setTitleFrom(collection());
    StatsForm->showUpdatedCount(collection());
    StatsForm->show();
    StatsForm->raise();
}

void TMainForm::createbackup1Click() {
    if (!createbackup1->isEnabled() || !collection().isOpen()) return;
    std::string path;
    if (!runGuarded(this, [&] { path = vitrinex::WriteBackup(collection()); })) return;
    Play(kSoundClick);
    const vitrinex::UserMessage done =
        vitrinex::backupCompleteMessage(toQString(collection().header().CollectionName).toStdString(),
                                        QFile::decodeName(path.c_str()).toStdString());
    ShowMessageDialog(QString::fromStdString(done.title), QString::fromStdString(done.text));
}

void TMainForm::exportastext1Click() {
    if (exportastext1->isEnabled()) ExportAsText();
}

void TMainForm::PrintCollectionList() {
    if (PrintForm->exec() != QDialog::Accepted) return;
    bool changed = false;
    runGuarded(this, [this, &changed] {
        changed = !printCollectionWithProgress(this, collection_, PrintForm->printer(), PrintForm->Fields());
    });
    if (changed)
        ShowMessageDialog(
            QStringLiteral("print stopped"),
            QStringLiteral("the collection changed while it was being printed. please print it again."));
    // The shown item is looked up again by the entry selected in the list.
    View->ShowSelectedItem();
}

void TMainForm::ExportAsText() {
    std::string fileName;
    if (!runWithProgress(
            this, QStringLiteral("export as text"), QStringLiteral("writing the items . . ."),
            collection().totals().ItemCount > kLargeCollectionItems, &collection_,
            [&](const Progress& progress) { fileName = writeTextExport(collection(), progress); }))
        return;
    Play(kSoundClick);
    const UserMessage done =
        textExportCompletedMessage(collection(), fromQString(QFile::decodeName(fileName.c_str())));
    ShowMessageDialog(toQString(done.title), toQString(done.text));
}

void TMainForm::collectionstats1Click() {
    if (collectionstats1->isEnabled()) StatsForm->collectionstats1Click(collection());
}

// --- help, about, web links, exit -----------------------------------------------------------------

void TMainForm::showHelp(const QString& helpFile) {
    if (!showHelpContents(helpFile))
        ShowMessageDialog(QStringLiteral("help not found"),
                          QStringLiteral("the help file was not found. please reinstall %1.")
                              .arg(QString::fromLatin1(kApplicationTitle)));
}

void TMainForm::help1Click() {
    Play(kSoundClick);
    showHelp(helpFile_);
}

void TMainForm::HelpJPGClick() {
    helpFile_ = QDir(programFolder_.isEmpty() ? vitrinex::filePlaces().helpFolder : programFolder_)
                    .filePath(QStringLiteral("Help.hlp"));
    Play(kSoundClick);
    showHelp(helpFile_);
}

void TMainForm::about1Click() {
    Play(kSoundClick);
    AboutForm->exec();
}

void TMainForm::OpenWebPage(const QString& url) {
    GoToWeb1->setUrl(url);
    if (!GoToWeb1->Open()) ShowMessageDialog(QString(), QStringLiteral("Error opening default web browser."));
}

void TMainForm::exitvitrinex1Click() {
    Play(kSoundClick);
    ExitForm->exec();
    // Whichever way the dialog closed, the open collection is written.
    if (!collection().isOpen()) return;
    if (ExitForm->ExitConfirmed())
        runGuardedAtEnd(this, QFile::decodeName(collection().fileName().c_str()),
                        [this] { collection_.saveBeforeLeaving(); });
    else
        runGuarded(this, [this] { collection_.saveBeforeLeaving(); });
}
