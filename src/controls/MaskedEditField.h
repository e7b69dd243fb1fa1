#pragma once
// TMaskEdit: the fixed-length edit field of the item and collection-information dialogs, a line
// edit around vitrinex::MaskedText, which holds the positions and their rules.

#include "collection/MaskedText.h"

#include <QLineEdit>
#include <QString>

class TMaskEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TMaskEdit(vitrinex::MaskKind kind, QWidget* parent = nullptr);

    vitrinex::MaskKind maskKind() const { return kind_; }
    // Changes the mask; the current text is put again under the new one.
    void setMaskKind(vitrinex::MaskKind kind);
    const vitrinex::MaskedText& mask() const { return mask_; }

    // The full-length text; the same as text().
    QString Text() const { return text(); }
    // The program puts a text: it is aligned by the mask (see MaskedText::put).
    void setText(const QString& text);
    // Every input position is blank.
    bool isMaskEmpty() const { return mask_.isEmpty(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void typeText(const QString& text);
    void eraseSelection();
    void pasteText();
    void cutText();
    // Shows the mask's text with the cursor at cursor; edited tells a user's change from the program's.
    void present(int cursor, bool edited);
    void adoptForeignText(const QString& text);

    vitrinex::MaskKind kind_;
    vitrinex::MaskedText mask_;
};
