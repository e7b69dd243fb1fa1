#pragma once
// TFindForm, the find dialog: looks up the item list for the first entry containing the typed text,
// from where the last search stopped, never wrapping round. The search text and that position last as
// long as the program.

#include "collection/ItemSearch.h"
#include "controls/PictureButtons.h"

#include <QDialog>
#include <QPoint>

class QLabel;
class QLineEdit;
class TJPEGImage;

namespace vitrinex {
class CollectionSession;
}

class TFindForm : public QDialog {
    Q_OBJECT
public:
    explicit TFindForm(const vitrinex::CollectionSession& collection, QWidget* parent = nullptr);
    ~TFindForm() override;

    // Shown modally with its left edge 100 pixels right of `mainWindowPos` (the main window's outer
    // top-left corner on the screen) and its top level with it.
    void ShowBeside(QPoint mainWindowPos);

    const vitrinex::ItemSearch& search() const { return search_; }

    // OK: one search, when the text is not empty. A match is announced by `found`.
    void OkBtnClick();
    void CancelBtnClick();

signals:
    // The entry at `row` of the item list contains the text: select it, at the top of the list, and
    // show its item.
    void found(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int result) override;

private:
    const vitrinex::CollectionSession& collection_;
    vitrinex::ItemSearch search_;
    TJPEGImage* JPEGImage1;
    QLabel* Label1;
    QLineEdit* FindEDT;
    TJPEGImage *OkBtn, *CancelBtn;
    vitrinex::PictureButtons Buttons;
    bool enterDown_ = false;
};
