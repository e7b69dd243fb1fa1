#pragma once
// TAboutForm, the about window: the product picture and one OK button.

#include "controls/PictureButtons.h"

#include <QDialog>
#include <QPoint>

class QLabel;
class TJPEGImage;

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    static constexpr QPoint kOkPosition{113, 128};

    explicit TAboutForm(QWidget* parent = nullptr);
    ~TAboutForm() override;

    // OK, left button released: closes the window.
    void OKJPGMouseUp();
    // Repaints the picture controls and puts OK back in its place.
    void FormActivate();
    void FormShow();

    vitrinex::PictureButtons& pictureButtons() { return *buttons_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void repaintPictures();

    TJPEGImage* AboutBgJPG = nullptr;
    TJPEGImage* LogoJPG = nullptr; // the product picture
    TJPEGImage* OKJPG = nullptr;
    QLabel* Label2 = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
};
