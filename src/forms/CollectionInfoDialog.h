#pragma once
// TNewUForm, the collection-information dialog: asks for a collection's name, brand and year range, to create
// a collection (create mode) or to change the open one's information (edit mode).

#include "controls/PictureButtons.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class TJPEGImage;
class TMaskEdit;

class TNewUForm : public QDialog {
    Q_OBJECT
public:
    explicit TNewUForm(QWidget* parent = nullptr);
    ~TNewUForm() override;

    // Create mode, modal: the main window has chosen the file.
    void ShowCreate();
    // Edit mode, modal, the fields filled with the collection's values.
    void ShowEdit(const QString& name, const QString& brand, const QString& year);

    bool EditMode() const { return editMode_; }
    // The name and the brand are filled and the year is not blank.
    bool Ready() const;

    // OK: asks for the collection to be created or changed with the typed values. The dialog closes
    // only when the receiver takes the entry (takeEntry); otherwise it stays open on those values.
    void OKJPGClick();
    void CancelJPGClick();
    // The request succeeded: the fields are cleared and the dialog closes.
    void takeEntry();

signals:
    void createRequested(const QString& name, const QString& brand, const QString& year);
    void changeRequested(const QString& name, const QString& brand, const QString& year);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;

private:
    void clearFields();

    QLineEdit* CollectNameEDT;
    QLineEdit* BrandEDT;
    TMaskEdit* YearEDT;
    TJPEGImage* JPEGImage1;
    TJPEGImage* OKJPG;
    TJPEGImage* CancelJPG;
    QLabel *Label1, *Label2, *Label3;
    vitrinex::PictureButtons Buttons;

    bool editMode_ = false;
    bool enterDown_ = false;
    bool entryTaken_ = false;
};
