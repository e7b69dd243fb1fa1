#pragma once
// TRestoreForm, the "restore" command's dialog: the open collection's backup generations, newest
// first, with their dates and item counts; OK hands back the chosen one.

#include "controls/PictureButtons.h"
#include "reports/BackupGenerations.h"

#include <QDialog>

#include <vector>

class QLabel;
class QListWidget;
class TJPEGImage;

class TRestoreForm : public QDialog {
    Q_OBJECT
public:
    explicit TRestoreForm(QWidget* parent = nullptr);
    ~TRestoreForm() override;

    // Shows the generations modally; the chosen one, or nullptr when the user cancelled.
    const vitrinex::Generation* ShowFor(const std::vector<vitrinex::Generation>& generations);

    // One line of the list: local date and time, and the item count.
    static QString lineFor(const vitrinex::Generation& generation);

private:
    void OKJPGClick();

    vitrinex::PictureButtons Buttons;
    std::vector<vitrinex::Generation> generations_;
    TJPEGImage* JPEGImage1 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    TJPEGImage* OKJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
};
