#pragma once
// TExitForm, the exit confirmation: Exit writes the sound setting into the current directory and asks the
// application to end; Cancel and the close box only close the dialog.

#include "controls/PictureButtons.h"

#include <QDialog>

class QLabel;
class TJPEGImage;

class TExitForm : public QDialog {
    Q_OBJECT
public:
    explicit TExitForm(QWidget* parent = nullptr);
    ~TExitForm() override;

    // Exit, left button released: closes, writes "Vitrinex.ini" in the current directory, records
    // the confirmation and requests the end of the program. A failing write is reported; the exit
    // still goes on.
    void ExitJPGMouseUp();
    // Cancel, left button released: closes only.
    void CancelJPGMouseUp();

    // Whether the last showing ended with Exit.
    bool ExitConfirmed() const { return exitConfirmed_; }

    vitrinex::PictureButtons& pictureButtons() { return *buttons_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TJPEGImage* DialogBGJPG = nullptr;
    QLabel* Label1 = nullptr;
    TJPEGImage* ExitJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
    bool exitConfirmed_ = false;
};
