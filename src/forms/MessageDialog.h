#pragma once
// TError1Form, the program's only message box: a title, a text and one OK button, always shown modally.
// Between two uses it holds the default title and text again.

#include "controls/PictureButtons.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <initializer_list>
#include <utility>

class QLabel;
class TJPEGImage;

class TError1Form : public QDialog {
    Q_OBJECT
public:
    static const QString kDefaultTitle; // "error"
    static const QString kDefaultText;  // "missing information!"

    explicit TError1Form(QWidget* parent = nullptr);
    ~TError1Form() override;

    // Caption and label text; a null or empty value gives its default.
    void setMessage(const QString& title, const QString& text);
    void resetMessage();
    QString title() const { return windowTitle(); }
    QString text() const;

    // OK, left button released: back to the defaults, then closed.
    void OKJPGMouseUp();

    vitrinex::PictureButtons& pictureButtons() { return *buttons_; }

    // However the window closes (OK, close box, Escape), the next use starts from the defaults.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    // Enter works OK: its pressed look on the way down, OK on the way up.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void fitMessage();

    TJPEGImage* JPEGImage1 = nullptr;
    QLabel* Label1 = nullptr;
    TJPEGImage* OKJPG = nullptr;
    vitrinex::PictureButtons* buttons_ = nullptr;
    bool enterDown_ = false;
};

// The program's one message box, made on first use (object name "Error1Form"), or nullptr before.
TError1Form* MessageDialogWindow();

// Shows `text` under `title` modally and returns when the user has closed the box. A null or empty
// title gives "error", a null or empty text "missing information!".
void ShowMessageDialog(const QString& title = {}, const QString& text = {});

namespace vitrinex {

// A typed text holding a character a collection file cannot store is refused rather than stored as
// "?": the message dialog names the field and the character. True when one of `fields` (caption,
// text) was refused.
bool refuseForeignCharacters(std::initializer_list<std::pair<QString, QString>> fields);

} // namespace vitrinex
