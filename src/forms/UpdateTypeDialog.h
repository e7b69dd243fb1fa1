#pragma once
// TUpdateTypeForm, the "update type" prompt: before the first catalog update of a collection the user
// picks the catalog it follows. OK with a choice confirms (exec() answers Accepted and ChosenType()
// tells which); Cancel and the close box change nothing.

#include "controls/PictureButtons.h"

#include <QDialog>

#include <string>

class QLabel;
class QRadioButton;
class TJPEGImage;

class TUpdateTypeForm : public QDialog {
    Q_OBJECT
public:
    explicit TUpdateTypeForm(QWidget* parent = nullptr);
    ~TUpdateTypeForm() override;

    // "SW" or "HW" after OK; empty otherwise.
    std::string ChosenType() const { return chosen_; }

    void SWRBClick();
    void HWRBClick();
    // OK, left button released: nothing unless a catalog is chosen; then the click sound and closed
    // with Accepted.
    void OKJPGMouseUp();
    void CancelJPGMouseUp();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void colourChoices();

    TJPEGImage* JPEGImage1 = nullptr;
    QLabel* Label1 = nullptr;
    QRadioButton* SWRB = nullptr;
    QRadioButton* HWRB = nullptr;
    TJPEGImage* OKJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
    std::string chosen_;
};
