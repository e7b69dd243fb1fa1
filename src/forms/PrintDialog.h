#pragma once
// TPrintForm, the print window: eight check boxes choose the fields of the printed list, Print asks
// for a printer through the system's print dialog and hands the choice back, Cancel only closes.

#include "controls/PictureButtons.h"
#include "forms/ProgressWindow.h"
#include "reports/PrintLayout.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPrinter;
class TJPEGImage;
namespace vitrinex {
class CollectionSession;
}

class TPrintForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrintForm(QWidget* parent = nullptr);
    ~TPrintForm() override;

    // Print, left button released: runs the system's print dialog (one copy) and closes, accepted when
    // the user confirmed a printer. The caller then prints on printer() with Fields().
    void PrintJPGMouseUp();
    // Cancel, left button released: closes only.
    void CancelJPGMouseUp();

    // The ticked fields; they stay ticked from one showing to the next.
    vitrinex::PrintFields Fields() const;
    // The printer chosen in the last confirmed print dialog; its settings are kept for the next print.
    QPrinter& printer() { return *printer_; }

    vitrinex::PictureButtons& pictureButtons() { return *buttons_; }

    // The system's print dialog: answers whether the user confirmed `printer`. Tests give their own;
    // an empty function is the real dialog.
    using SystemPrintDialog = std::function<bool(QPrinter& printer, QWidget* parent)>;
    void setSystemPrintDialog(SystemPrintDialog dialog) { systemPrintDialog_ = std::move(dialog); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* addCheckBox(const char* name, const QString& caption, QPoint pos);

    TJPEGImage* JPEGImage1 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox *CatNumCB = nullptr, *CommentsCB = nullptr, *ConditionCB = nullptr, *NetChangeCB = nullptr;
    QCheckBox *PriceCB = nullptr, *QuantityCB = nullptr, *SeriesCB = nullptr, *YearCB = nullptr;
    TJPEGImage* PrintJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    SystemPrintDialog systemPrintDialog_;
};

// The progress window of a print job: how many items are on pages, Cancel stops at the next page.
class TPrintProgressForm : public TProgressForm {
public:
    explicit TPrintProgressForm(QWidget* parent)
        : TProgressForm(parent, QStringLiteral("print collection"), QStringLiteral("making pages . . ."),
                        QStringLiteral("PrintProgressForm")) {}
};

// Prints the open collection's `fields` on `printer`, the progress window over `parent`. Cancel stops
// the job between pages; so does a change of the collection (a catalog update finishing meanwhile),
// before a page is made from items that changed or went. Answers false when a change stopped it. A
// failure of the printer is thrown once the progress window has gone.
bool printCollectionWithProgress(QWidget* parent, vitrinex::CollectionSession& collection, QPrinter& printer,
                                 const vitrinex::PrintFields& fields);
