#pragma once
// TAddFigureForm, the add/edit item dialog: the item's fields with their masks and limits, Add in add
// mode, Save (same name or new name) in edit mode, Cancel. The input rules live in vitrinex::ItemEntry;
// the window keeps its fields and that entry alike and runs Add/Save through the collection session.

#include "collection/ItemEntry.h"
#include "controls/PictureButtons.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TJPEGImage;
class TMaskEdit;

namespace vitrinex {
class CollectionSession;
}

class TAddFigureForm : public QDialog {
    Q_OBJECT
public:
    explicit TAddFigureForm(vitrinex::CollectionSession& collection, QWidget* parent = nullptr);
    ~TAddFigureForm() override;

    // The add command: the title panel, the first condition, the price reset; shown modally.
    void ShowAdd(const QString& title);
    // The edit command: the fields from the collection's current item; shown modally.
    void ShowEdit(const QString& title);

    const vitrinex::ItemEntry& entry() const { return entry_; }
    bool InputComplete() const { return entry_.InputComplete(); }

    // The Add/Save button's action: checks, cleanups, then Add or Save. Nothing while the required
    // fields are not filled.
    void AddSave();
    // Cancel, and the title bar's close box: edit mode off, the fields reset, closed.
    void CancelJPGClick();

signals:
    // Add/Save stored an item or refused one by its name; the list entry named `nameToSelect` (the
    // last one equal to it when upper-cased) is to be selected and shown.
    void addSaveCompleted(const QString& nameToSelect);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void createFields();
    // The dialog's own limits of the free-text fields, before they are filled.
    void resetLimits();
    // The widgets' texts into the entry, and back.
    void readFields();
    void writeFields();
    void showButtons();
    TJPEGImage* actionButton() const;
    QWidget* fieldWidget(vitrinex::EntryField field) const;
    void showRefusal(const vitrinex::UserMessage& message, vitrinex::EntryField focus);
    void leaveField(QObject* field);
    void limitComments();

    vitrinex::CollectionSession& collection_;
    vitrinex::ItemEntry entry_;

    TJPEGImage* JPEGImage1;
    QLabel* TitlePanel;
    QLineEdit* FigureNameEDT;
    TMaskEdit* QuantityEDT;
    TMaskEdit* YearEDT;
    QLineEdit* SeriesEDT;
    TMaskEdit* PriceEDT;
    TMaskEdit* NetChangeEDT;
    QComboBox* ConditionCB;
    QLineEdit* CatNumEDT;
    QPlainTextEdit* CommentsMEMO;
    TJPEGImage *AddJPG, *EditJPG, *CancelJPG;
    vitrinex::PictureButtons Buttons;

    bool syncing_ = false;
    bool enterDown_ = false;
};
