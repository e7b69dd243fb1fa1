#pragma once
// TPhotosForm, the photos window: the current item's photos, one large and all of them in a strip of
// thumbnails, the cover first. It adds photos from a file dialog (several at once), from image files
// dropped on it and from a pasted image; it removes the chosen photo, makes it the cover and opens it
// in the desktop's image viewer. Not modal; it follows the selection of the main window, and every
// change goes through the collection's session.

#include <QUrl>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace vitrinex {
class CollectionSession;
class ThumbnailCache;
struct Photo;
} // namespace vitrinex

class TPhotosForm : public QWidget {
    Q_OBJECT
public:
    TPhotosForm(vitrinex::CollectionSession& session, vitrinex::ThumbnailCache& pictures,
                QWidget* parent = nullptr);
    ~TPhotosForm() override;

    // Shown, raised and activated; the first time beside `owner`.
    void showBeside(const QWidget* owner);

    // What opens a photo file instead of the desktop (a test's recorder); empty is the desktop.
    void setFileOpener(std::function<bool(const QUrl&)> opener) { opener_ = std::move(opener); }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The current item's photos read again; `chosen` is the strip's position to show.
    void reload(int chosen);
    void showChosen();
    void showPicture(const QString& photoPath, int edge);
    void enableButtons();
    std::string currentName() const;

    void AddBTNClick();
    void RemoveBTNClick();
    void CoverBTNClick();
    void OpenBTNClick();
    void paste();

    vitrinex::CollectionSession& session_;
    vitrinex::ThumbnailCache& pictures_;
    std::function<bool(const QUrl&)> opener_;
    std::vector<vitrinex::Photo> photos_;
    std::vector<std::string> paths_;
    bool placed_ = false;

    QLabel* ItemLBL;
    QLabel* PhotoIMG;
    QLabel* InfoLBL;
    QListWidget* StripLST;
    QPushButton *AddBTN, *RemoveBTN, *CoverBTN, *OpenBTN;
};
