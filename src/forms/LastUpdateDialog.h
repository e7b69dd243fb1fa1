#pragma once
// TLastUpdateForm, the "update?" prompt: tells when the collection was last updated and asks whether to
// update it now. OK closes with Accepted; Cancel and the close box change nothing.

#include "controls/PictureButtons.h"

#include <QDialog>

class QLabel;
class TJPEGImage;

class TLastUpdateForm : public QDialog {
    Q_OBJECT
public:
    explicit TLastUpdateForm(QWidget* parent = nullptr);
    ~TLastUpdateForm() override;

    // The question shown in Label1.
    void setQuestion(const QString& text);

    // OK, left button released: the click sound, then closed with Accepted.
    void OKJPGMouseUp();
    void CancelJPGMouseUp();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TJPEGImage* DialogBGJPG = nullptr;
    QLabel* Label1 = nullptr;
    TJPEGImage* OKJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
};
