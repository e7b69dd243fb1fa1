#include "collection/ItemEntry.h"

#include "collection/Win1252.h"

namespace vitrinex {
namespace {

// Every character from `from` on is a blank.
bool blankFrom(const QString& text, int from) {
    for (int i = from; i < text.size(); ++i)
        if (text[i] != u' ') return false;
    return true;
}

QString withoutBlanks(QString text) {
    return text.remove(u' ');
}

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The text of a field.
template <typename Texts> auto& textOf(Texts& texts, EntryField field) {
    switch (field) {
    case EntryField::Name:
        return texts.FigureName;
    case EntryField::Quantity:
        return texts.Quantity;
    case EntryField::Year:
        return texts.Year;
    case EntryField::Series:
        return texts.Series;
    case EntryField::Price:
        return texts.Price;
    case EntryField::NetChange:
        return texts.NetChange;
    case EntryField::Condition:
        return texts.Condition;
    case EntryField::CatNum:
        return texts.CatNum;
    default:
        return texts.Comments;
    }
}

bool isAmount(const QString& text) {
    long double value = 0;
    return amountValue(fromQString(text), value);
}

// After a save that did not happen, memory goes back to what the unchanged file holds, with the
// item of that name current again.
void restoreFromFile(OpenCollection& collection, const std::string& name) {
    try {
        collection.ReloadCollection();
        collection.FindItem(name);
    } catch (...) {
    }
}

} // namespace

const QString ItemEntry::kPriceReset = QStringLiteral("$     0 ");
const QString ItemEntry::kNetChangeReset = QStringLiteral("$0");

const QStringList& ItemEntry::Conditions() {
    static const QStringList entries = {"C-10", "C-9", "C-8", "C-7", "C-6",  "C-5",
                                        "C-4",  "C-3", "C-2", "C-1", "loose"};
    return entries;
}

ItemEntry::ItemEntry() {
    for (EntryField f : {EntryField::Quantity, EntryField::Year})
        putField(f, QString());
    putField(EntryField::Price, kPriceReset);
    putField(EntryField::NetChange, kNetChangeReset);
    Fields.Condition = Conditions().front();
}

bool ItemEntry::isMasked(EntryField field) {
    return field == EntryField::Quantity || field == EntryField::Year || field == EntryField::Price ||
           field == EntryField::NetChange;
}

MaskKind ItemEntry::maskOf(EntryField field) {
    switch (field) {
    case EntryField::Quantity:
        return MaskKind::Quantity;
    case EntryField::Year:
        return MaskKind::Year;
    case EntryField::Price:
        return MaskKind::Price;
    default:
        return MaskKind::NetChange;
    }
}

void ItemEntry::putField(EntryField field, const QString& text) {
    if (field == EntryField::None) return;
    if (isMasked(field)) {
        MaskedText mask = MaskedText::forKind(maskOf(field));
        mask.put(text);
        textOf(Fields, field) = mask.text();
        return;
    }
    // A drop-down list without free typing: an unknown text leaves the previous entry selected.
    if (field == EntryField::Condition && !Conditions().contains(text)) return;
    textOf(Fields, field) = text;
}

void ItemEntry::fillFrom(const TFigureRecord& item) {
    putField(EntryField::Name, toQString(item.FigureName.view()));
    putField(EntryField::Year, toQString(item.Year.view()));
    putField(EntryField::Series, toQString(item.Series.view()));
    putField(EntryField::Price, toQString(item.Price.view()));
    putField(EntryField::NetChange, toQString(item.NetChange.view()));
    putField(EntryField::Quantity, QString::number(item.Quantity));
    putField(EntryField::CatNum, toQString(item.CatNum.view()));
    putField(EntryField::Comments, toQString(item.Comments.view()));
    Fields.Condition = toQString(item.Condition.view());
}

void ItemEntry::FillForEdit(const TFigureRecord& item) {
    fillFrom(item);
    EditMode = true;
    untouched_ = Untouched{
        {},
        {toQString(item.FigureName.view()), QString::number(item.Quantity), toQString(item.Year.view()),
         toQString(item.Series.view()), toQString(item.Price.view()), toQString(item.NetChange.view()),
         toQString(item.Condition.view()), toQString(item.CatNum.view()), toQString(item.Comments.view())},
        item.Quantity};
    MarkUntouched();
}

void ItemEntry::MarkUntouched() {
    if (untouched_) untouched_->shown = Fields;
}

bool ItemEntry::untouched(EntryField field) const {
    return untouched_ && textOf(Fields, field) == textOf(untouched_->shown, field);
}

// A masked field holds more than blanks (after the "$" of an amount), or is untouched and the
// stored text it stands for does.
bool ItemEntry::filled(EntryField field) const {
    const int from = field == EntryField::Price || field == EntryField::NetChange ? 1 : 0;
    return !blankFrom(textOf(Fields, field), from) ||
           (untouched(field) && !withoutBlanks(textOf(untouched_->stored, field)).isEmpty());
}

bool ItemEntry::InputComplete() const {
    return !Fields.FigureName.isEmpty() && filled(EntryField::Quantity) && filled(EntryField::Year) &&
           filled(EntryField::Price) && filled(EntryField::NetChange);
}

QString ItemEntry::ButtonHint(bool editMode, bool inputComplete) {
    if (inputComplete)
        return editMode ? QStringLiteral("Click to edit item.") : QStringLiteral("Click to add item.");
    return editMode
               ? QStringLiteral("Cannot edit item. Check to make sure you have filled in necessary fields.")
               : QStringLiteral("Cannot add item. Check to make sure you have filled in necessary fields.");
}

UserMessage ItemEntry::InvalidPrice(const QString& price) {
    return {"invalid price", fromQString(price) + " is an invalid price!"};
}

UserMessage ItemEntry::InvalidNetChange(const QString& netChange) {
    return {"invalid net change value",
            fromQString(netChange) + " is an invalid value for net change. net change must be an integer."};
}

UserMessage ItemEntry::MissingInformation() {
    return {"error", "missing information!"};
}

std::optional<UserMessage> ItemEntry::QuantityCheck(long long quantity) {
    // An item of quantity 0 would never be written, and a changed one would vanish with its comments.
    if (quantity != 0) return std::nullopt;
    return UserMessage{"quantity", "a quantity of 0 is not kept; to remove an item, use delete."};
}

std::optional<UserMessage> ItemEntry::PriceCheck() {
    if (untouched(EntryField::Price)) return std::nullopt;
    bool valid = true;
    for (int i = 1; i < Fields.Price.size() && valid; ++i) {
        const QChar c = Fields.Price[i];
        valid = c == u'.' || c == u' ' || isDigit(c);
    }
    // Digits with several points ("$1.2.3") or a lone point pass the characters but are no number,
    // and a record holding one could not be loaded again.
    if (valid) valid = isAmount(withoutBlanks(Fields.Price));
    if (valid) return std::nullopt;
    const UserMessage refusal = InvalidPrice(Fields.Price);
    putField(EntryField::Price, kPriceReset);
    return refusal;
}

void ItemEntry::PriceCleanup() {
    if (!untouched(EntryField::Price)) putField(EntryField::Price, withoutBlanks(Fields.Price));
}

std::optional<UserMessage> ItemEntry::NetChangeCheck() {
    if (untouched(EntryField::NetChange)) return std::nullopt;
    bool valid = true;
    bool signAllowed = true;
    for (int i = 1; i < Fields.NetChange.size() && valid; ++i) {
        const QChar c = Fields.NetChange[i];
        if (c == u' ') continue;
        valid = isDigit(c) || (signAllowed && (c == u'+' || c == u'-'));
        signAllowed = false;
    }
    // A sign alone is no number either.
    if (valid) valid = isAmount(withoutBlanks(Fields.NetChange));
    if (valid) return std::nullopt;
    const UserMessage refusal = InvalidNetChange(Fields.NetChange);
    putField(EntryField::NetChange, kNetChangeReset);
    return refusal;
}

void ItemEntry::NetChangeCleanup() {
    if (!untouched(EntryField::NetChange)) putField(EntryField::NetChange, withoutBlanks(Fields.NetChange));
}

std::optional<UserMessage> ItemEntry::LeavePriceField() {
    if (blankFrom(Fields.Price, 1)) return std::nullopt;
    if (auto refusal = PriceCheck()) return refusal;
    PriceCleanup();
    return std::nullopt;
}

std::optional<UserMessage> ItemEntry::CheckAmounts(EntryField& focus) {
    if (auto refusal = PriceCheck()) {
        focus = EntryField::Price;
        return refusal;
    }
    PriceCleanup();
    if (auto refusal = NetChangeCheck()) {
        focus = EntryField::NetChange;
        return refusal;
    }
    NetChangeCleanup();
    return std::nullopt;
}

void ItemEntry::LeaveMaskedField(EntryField field) {
    if (untouched(field)) return;
    switch (field) {
    case EntryField::Quantity:
        putField(field, withoutBlanks(Fields.Quantity));
        break;
    case EntryField::Year:
        putField(field, withoutBlanks(Fields.Year));
        break;
    case EntryField::NetChange:
        putField(field, withoutBlanks(Fields.NetChange));
        break;
    default:
        break;
    }
}

NewItemValues ItemEntry::values() const {
    // An untouched field saves the stored text it stands for.
    const auto text = [this](EntryField f) {
        return fromQString(untouched(f) ? textOf(untouched_->stored, f) : textOf(Fields, f));
    };
    NewItemValues v;
    v.FigureName = text(EntryField::Name);
    v.Year = text(EntryField::Year);
    v.Series = text(EntryField::Series);
    v.Price = text(EntryField::Price);
    v.NetChange = text(EntryField::NetChange);
    v.Quantity = EnteredQuantity;
    v.Condition = text(EntryField::Condition);
    v.CatNum = text(EntryField::CatNum);
    v.Comments = text(EntryField::Comments);
    return v;
}

AddSaveOutcome ItemEntry::AddSave(OpenCollection& collection) {
    AddSaveOutcome out;
    if (!InputComplete()) return out;
    out.acted = true;
    if ((out.message = CheckAmounts(out.focus))) return out;
    EnteredQuantity =
        untouched(EntryField::Quantity) ? untouched_->quantity : withoutBlanks(Fields.Quantity).toInt();
    if (Fields.FigureName.isEmpty() || !filled(EntryField::Year) || !filled(EntryField::Quantity)) {
        out.message = MissingInformation();
        return out;
    }
    if ((out.message = QuantityCheck(EnteredQuantity))) {
        out.focus = EntryField::Quantity;
        return out;
    }

    TFigureNode* item = EditMode ? collection.currentItem() : nullptr;
    if (!item) {
        NameToSelect = Fields.FigureName;
        const std::string before =
            collection.currentItem() ? collection.currentItem()->Record.FigureName.str() : "";
        out.message = collection.InsertNewItem(values());
        // Saved in both cases; the fields are cleared only once the item is safely in the file.
        try {
            collection.SaveCollection();
        } catch (...) {
            // Not in the file, so not in the collection either: the next Add inserts and saves it.
            if (!out.message) restoreFromFile(collection, before);
            throw;
        }
        out.completed = true;
        if (!out.message) {
            ClearAfterStore();
            out.closeDialog = true;
        }
        return out;
    }

    OldName = toQString(item->Record.FigureName.view());
    NameToSelect = Fields.FigureName;
    EditMode = false;
    try {
        if (nameKey(values().FigureName.substr(0, 255)) == nameKey(item->Record.FigureName.view())) {
            SaveSameName(collection, item);
        } else {
            out.message = SaveNewName(collection, item);
        }
    } catch (...) {
        // The file could not be written: the dialog goes on editing what the collection now holds.
        EditMode = collection.currentItem() != nullptr;
        throw;
    }
    out.completed = true;
    out.closeDialog = !out.message;
    if (out.closeDialog) ClearAfterStore();
    return out;
}

void ItemEntry::SaveSameName(OpenCollection& collection, TFigureNode* item) {
    const NewItemValues v = values();
    TFigureRecord& r = item->Record;
    // The name too, so that a change of letter case reaches the file; the update mark stays.
    r.FigureName.assign(std::string_view(v.FigureName).substr(0, 255));
    r.Year.assign(v.Year);
    r.Series.assign(v.Series);
    r.Price.assign(v.Price);
    r.NetChange.assign(v.NetChange);
    r.Quantity = v.Quantity;
    r.Condition.assign(v.Condition);
    r.CatNum.assign(v.CatNum);
    r.Comments.assign(v.Comments);
    collection.markUnsaved();
    collection.SaveCollection();
    collection.ReloadCollection();
}

std::optional<UserMessage> ItemEntry::SaveNewName(OpenCollection& collection, TFigureNode* item) {
    SavedItem = item->Record;
    const NewItemValues v = values();
    // Another item bears the new name: nothing changes, and the fields show the old item again.
    TFigureNode* const current = collection.currentItem();
    const bool taken = collection.FindItem(v.FigureName.substr(0, 255)) != nullptr;
    collection.selectNode(current);
    if (taken) {
        fillFrom(SavedItem);
        EnteredQuantity = SavedItem.Quantity;
        return UserMessage{"item exists", v.FigureName + " already exists!"};
    }
    // The old name leaves and the new one comes in with one save, so the file always holds the item
    // under exactly one of its names.
    collection.BlankItem(item);
    std::optional<UserMessage> refused;
    try {
        refused = collection.InsertNewItem(v);
        if (!refused) collection.SaveCollection();
    } catch (...) {
        restoreFromFile(collection, SavedItem.FigureName.str());
        throw;
    }
    if (refused) {
        // Only a name that the blanked item itself now bears (one blank) gets here: nothing was saved.
        restoreFromFile(collection, SavedItem.FigureName.str());
        fillFrom(SavedItem);
        EnteredQuantity = SavedItem.Quantity;
        return refused;
    }
    collection.ReloadCollection();
    return std::nullopt;
}

void ItemEntry::Cancel() {
    EditMode = false;
    untouched_.reset();
    Fields.FigureName.clear();
    Fields.Series.clear();
    Fields.CatNum.clear();
    Fields.Comments.clear();
    putField(EntryField::Year, QString());
    putField(EntryField::Quantity, QString());
    putField(EntryField::Price, kPriceReset);
    putField(EntryField::NetChange, kNetChangeReset);
}

void ItemEntry::ClearAfterStore() {
    untouched_.reset();
    Fields.FigureName.clear();
    Fields.Series.clear();
    Fields.CatNum.clear();
    Fields.Comments.clear();
    for (EntryField f : {EntryField::Quantity, EntryField::Year, EntryField::Price})
        putField(f, QString());
    putField(EntryField::NetChange, kNetChangeReset);
}

int ItemEntry::CompletionRow(const ItemNameList& list, const QString& nameToSelect) {
    const std::string key = nameKey(fromQString(nameToSelect));
    int row = -1;
    for (int i = 0; i < list.size(); ++i)
        if (nameKey(list.at(i)) == key) row = i;
    return row;
}

void BlankSaveAndReload(OpenCollection& collection, TFigureNode* node) {
    const std::string name = node->Record.FigureName.str();
    collection.BlankItem(node);
    try {
        collection.SaveCollection();
    } catch (...) {
        // The file is as it was; reading it back un-blanks the item in memory, where the next save
        // would otherwise drop it.
        try {
            collection.ReloadCollection();
            collection.FindItem(name);
        } catch (...) {
        }
        throw;
    }
    collection.ReloadCollection();
}

void DeleteCurrentItem(OpenCollection& collection) {
    if (collection.currentItem()) BlankSaveAndReload(collection, collection.currentItem());
}

} // namespace vitrinex
