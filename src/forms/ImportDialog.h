#pragma once
// TImportForm, the "names already there?" prompt of the CSV import: the file holds names the
// collection has, and the user chooses to add only the other rows, to update those items from the
// file, or to import nothing. Cancel and the close box import nothing.

#include "controls/PictureButtons.h"
#include "reports/CsvFormat.h"

#include <QDialog>

#include <optional>

class QLabel;
class TJPEGImage;

class TImportForm : public QDialog {
    Q_OBJECT
public:
    explicit TImportForm(QWidget* parent = nullptr);
    ~TImportForm() override;

    // Asks with `question`; returns the choice, or nullopt for Cancel and the close box.
    std::optional<vitrinex::ExistingRows> Ask(const QString& question);

    // add: the rows of those names are left out; edit: those items take the rows' values.
    void AddJPGMouseUp();
    void EditJPGMouseUp();
    void CancelJPGMouseUp();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TJPEGImage* DialogBGJPG = nullptr;
    QLabel* Label1 = nullptr;
    TJPEGImage* AddJPG = nullptr;
    TJPEGImage* EditJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
    std::optional<vitrinex::ExistingRows> choice_;
};
