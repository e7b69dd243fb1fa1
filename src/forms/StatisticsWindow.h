#pragma once
// TStatsForm, the statistics window: the open collection's value, net change, its highest, lowest, most risen
// and most fallen items (every item that ties), after a catalog update how many items changed, and a
// small chart of the value over time that opens the value window.
// It computes nothing itself: it follows the open collection's announcements, and the catalog update
// fills in its count. Its lists are views of the collection's extreme lists: an entry's text is made
// only when the list shows it, so a list of a million ties costs nothing until it is looked at.

#include "controls/PictureButtons.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class TJPEGImage;
class TValueChart;

namespace vitrinex {
class CollectionSession;
class ExtremeList;
class OpenCollection;
} // namespace vitrinex

class TStatsForm : public QWidget {
    Q_OBJECT
public:
    explicit TStatsForm(QWidget* parent = nullptr);
    ~TStatsForm() override;

    // From now on shows what `collection` announces: opened or created, information changed, closed,
    // an update confirmed (the lists empty) and applied (totals, lists and the updated count).
    void follow(const vitrinex::CollectionSession* collection);

    // A collection was opened or read back: the title, value and net change texts, the four lists
    // refilled, and the updated-items count hidden.
    void showCollection(const vitrinex::OpenCollection& collection);
    // "brand - name - year".
    void setTitleFrom(const vitrinex::OpenCollection& collection);
    // "$" + total value and "$" + total net change.
    void setTotalsFrom(const vitrinex::OpenCollection& collection);
    // The high, low, hot and cold lists as the collection holds them now; each shows its first entry,
    // an empty one shows nothing. A hidden window fills them when it is next shown.
    void fillListsFrom(const vitrinex::OpenCollection& collection);
    // The collection was closed.
    void clearLists();
    // After a catalog update: "updated/items" (for instance 12/340), made visible with its caption.
    void showUpdatedCount(const vitrinex::OpenCollection& collection);
    void hideUpdatedCount();

    // The main window's "stats" command: fresh texts and lists, the updated-items count hidden, the
    // click sound, then the window shown (not modally).
    void collectionstats1Click(const vitrinex::OpenCollection& collection);

    // OK released (left button): the updated-items count comes back for the next showing,
    // OnClosedAfterUpdate runs, and the window closes.
    void OKJPGMouseUp();

    // Runs when OK closes the window, before it closes; the update window uses it to refresh the main
    // window's item details after an update.
    std::function<void()> OnClosedAfterUpdate;

    vitrinex::PictureButtons& pictureButtons() { return buttons_; }

signals:
    // The value chart or its button was clicked: the value window, which the main window owns.
    void valueWindowRequested();

protected:
    void showEvent(QShowEvent* event) override;
    // Escape works OK.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    QLabel* addCaption(const char* objectName, const QString& text, int rightEdge, int top);
    QComboBox* addEntryList(const char* objectName, const QColor& textColor, int top);
    void setAmountText(QLabel* label, const QString& text);
    // The list shows `entries` (nullptr: none), its first entry current; the texts are made as shown.
    static void fill(QComboBox* list, const vitrinex::ExtremeList* entries);

    vitrinex::PictureButtons buttons_;
    TJPEGImage* JPEGImage1 = nullptr;
    TValueChart* ValueChart = nullptr; // the value over time, beside OK
    QPushButton* ValueBTN = nullptr;   // "value over time": the value window
    QLabel* TitleLBL = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* CollValueLBL = nullptr;
    QLabel* NetChangeLBL = nullptr;
    QLabel* UpdatedFigsLBL = nullptr;
    QComboBox* HighFigLBL = nullptr;
    QComboBox* LowFigLBL = nullptr;
    QComboBox* HotLBL = nullptr;
    QComboBox* ColdLBL = nullptr;
    TJPEGImage* OKJPG = nullptr;
    void fillListsNow(const vitrinex::OpenCollection& collection);

    bool placed_ = false;
    // The collection whose lists a hidden window fills when it is shown.
    const vitrinex::OpenCollection* listsToFill_ = nullptr;
};
