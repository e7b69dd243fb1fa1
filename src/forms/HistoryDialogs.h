#pragma once
// THistoryListForm, the dialogs of what the collection keeps of its past: a prompt, a list of lines
// (the deleted items with their dates, or what an update changed), OK and, where a line is to be
// chosen, Cancel. Modal, in the skin of the restore dialog.

#include "controls/PictureButtons.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class TJPEGImage;

namespace vitrinex {
struct DeletedItem;
struct PriceChange;
} // namespace vitrinex

class THistoryListForm : public QDialog {
    Q_OBJECT
public:
    // `choosing`: OK hands back the chosen line and Cancel is offered; otherwise OK only closes.
    THistoryListForm(QWidget* parent, const QString& objectName, const QString& title, bool choosing);
    ~THistoryListForm() override;

    // Shows `lines` under `prompt` modally; the chosen row, or -1 when the user cancelled or closed.
    int ShowLines(const QString& prompt, const QStringList& lines, const QString& okHint);

    // One line of the deleted items: local date and time, name and price.
    static QString deletedLine(const vitrinex::DeletedItem& item);
    // One line of an update's changes: the name, the old and the new price.
    static QString changeLine(const vitrinex::PriceChange& change);

private:
    void OKJPGClick();

    vitrinex::PictureButtons Buttons;
    bool choosing_;
    TJPEGImage* JPEGImage1 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    TJPEGImage* OKJPG = nullptr;
    TJPEGImage* CancelJPG = nullptr;
};
