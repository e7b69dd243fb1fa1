#pragma once
// TDeleteForm, the delete confirmation: asks whether the current item is to go; Delete takes it out of
// the collection file and reads the collection back, Cancel changes nothing.

#include "controls/PictureButtons.h"

#include <QDialog>
#include <QString>

class QLabel;
class TJPEGImage;

namespace vitrinex {
class CollectionSession;
}

class TDeleteForm : public QDialog {
    Q_OBJECT
public:
    explicit TDeleteForm(vitrinex::CollectionSession& collection, QWidget* parent = nullptr);
    ~TDeleteForm() override;

    // The question names the item; shown modally.
    void ShowFor(const QString& itemName);
    QString question() const;

    // Delete, left button: the current item leaves the file, the collection is read back with nothing
    // current (the windows that show it follow), the delete sound plays; then the dialog closes.
    void DeleteCurrentItem();
    void CancelJPGClick();

private:
    vitrinex::CollectionSession& collection_;
    TJPEGImage* JPEGImage1;
    QLabel* Label1;
    TJPEGImage *DeleteJPG, *CancelJPG;
    vitrinex::PictureButtons Buttons;
};
