#pragma once
// The add/edit item dialog without its window: the field texts as the dialog holds them, which fields
// must be filled, the price and net-change checks and cleanups, and Add/Save on the open collection
// (add, save under the same name, rename with the restore of a refused rename). The dialog and the
// command line share it.

#include "collection/MaskedText.h"
#include "collection/OpenCollection.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace vitrinex {

// The fields of the add/edit dialog, in their tab order.
enum class EntryField { None, Name, Quantity, Year, Series, Price, NetChange, Condition, CatNum, Comments };

// What the dialog's fields read. Quantity, Year, Price and NetChange are masked texts and always have
// their full length; Condition is the text of the selected entry (empty when none is selected).
struct ItemFieldTexts {
    QString FigureName, Quantity, Year, Series, Price, NetChange, Condition, CatNum, Comments;
};

// What an Add/Save did, for the window to show.
struct AddSaveOutcome {
    bool acted = false;                  // false: the required fields were not filled, nothing ran
    std::optional<UserMessage> message;  // to show in the message dialog
    EntryField focus = EntryField::None; // the field a refused check reset
    bool closeDialog = false;            // the item was stored; the fields are cleared
    bool completed = false;              // the collection changed: select NameToSelect and show it
};

class ItemEntry {
public:
    static constexpr int kNameLimit = 54;
    static constexpr int kSeriesLimit = 23;
    static constexpr int kCatNumLimit = 9;
    static constexpr int kCommentsLimit = 255;
    static const QString kPriceReset;     // "$     0 "
    static const QString kNetChangeReset; // "$0", shown as "$   0"
    static const QStringList& Conditions();

    // The fields as the add dialog starts: empty texts, the reset price and net change, condition "C-10".
    ItemEntry();

    ItemFieldTexts Fields;
    bool EditMode = false;
    std::int32_t EnteredQuantity = 0;
    QString OldName;
    TFigureRecord SavedItem{};
    QString NameToSelect;

    // Puts a text into a field as the program does: masked fields align it, the condition is taken
    // only when it is one of the entries.
    void putField(EntryField field, const QString& text);
    static MaskKind maskOf(EntryField field);
    static bool isMasked(EntryField field);

    // The edit command: the fields from the item, EditMode on, and the item kept as it is stored (see
    // MarkUntouched). The condition is shown as stored, even one that is not among the entries.
    void FillForEdit(const TFigureRecord& item);
    // The fields as they read now show the stored item: a field that still reads the same at Add/Save
    // was not touched and saves the item's stored text, even one that its field cannot show ("$5.5"
    // in the net change's whole positions, a quantity of four digits); its checks and cleanups are
    // skipped. FillForEdit calls it; a window whose controls alter a text in showing it calls it again
    // once they show the item. Cancel and a stored item end it.
    void MarkUntouched();

    // The required fields are filled: a name, a quantity, a year, a price and a net change.
    bool InputComplete() const;

    // Leaving the price field: the check (unless the price is blank) and the cleanup. A refused price
    // is reset and its message returned.
    std::optional<UserMessage> LeavePriceField();
    // The price check alone, as Enter runs it before the button takes its pressed look.
    std::optional<UserMessage> PriceCheck();
    // Steps 1 and 2 of Add/Save: the price check and cleanup, then the net-change check and cleanup.
    // A refused text is reset, `focus` names its field and the refusal is returned.
    std::optional<UserMessage> CheckAmounts(EntryField& focus);
    // Leaving the quantity, year or net-change field: its blanks are removed and the rest aligned.
    void LeaveMaskedField(EntryField field);

    // The Add/Save button: checks, cleanups, then Add, Save with the same name or Save with a new name.
    // Throws EInOutError when the file cannot be written or read back; the collection then holds the
    // item (in memory, or in the file and in memory).
    AddSaveOutcome AddSave(OpenCollection& collection);

    // Cancel: EditMode off, the fields emptied, price and net change reset, the condition kept.
    void Cancel();
    // After a stored item: every field empty but the net change "$0"; the condition kept.
    void ClearAfterStore();

    // The list entry selected after Add/Save: the last one equal to the name when upper-cased; -1 when
    // none is.
    static int CompletionRow(const ItemNameList& list, const QString& nameToSelect);

    // The Add/Save button's tooltip while the pointer is over it.
    static QString ButtonHint(bool editMode, bool inputComplete);

    // The refusal of the price check, the net-change check and the missing-information rule.
    static UserMessage InvalidPrice(const QString& price);
    static UserMessage InvalidNetChange(const QString& netChange);
    static UserMessage MissingInformation();
    // The refusal of a quantity of 0, the mark of a deleted record, when an item is added or changed;
    // nullopt for any other quantity.
    static std::optional<UserMessage> QuantityCheck(long long quantity);

private:
    struct Untouched {
        ItemFieldTexts shown, stored;
        std::int32_t quantity = 0;
    };
    std::optional<Untouched> untouched_;
    bool untouched(EntryField field) const;
    bool filled(EntryField field) const;

    void PriceCleanup();
    std::optional<UserMessage> NetChangeCheck();
    void NetChangeCleanup();
    NewItemValues values() const;
    void fillFrom(const TFigureRecord& item);
    void SaveSameName(OpenCollection& collection, TFigureNode* item);
    std::optional<UserMessage> SaveNewName(OpenCollection& collection, TFigureNode* item);
};

// Blanks the node, saves (the blanked record is not written) and reads the file back, as deleting and
// renaming do. A failed save reads the unchanged file back, so the item is not lost from memory either.
void BlankSaveAndReload(OpenCollection& collection, TFigureNode* node);

// The delete dialog's work on the collection: the current item leaves the file, and the collection is
// read back with nothing current.
void DeleteCurrentItem(OpenCollection& collection);

} // namespace vitrinex
