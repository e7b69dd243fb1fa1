#pragma once
// The help window: shows the help file (HTML) at its start, in one window that is re-shown and
// raised on every request.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vitrinex {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }
    // Replaces the shown text by `html`; `baseFolder` is where its relative links and pictures live.
    void showDocument(const QString& html, const QString& baseFolder);

private:
    QTextBrowser* browser_;
};

// Shows the contents of `helpFileName` (relative names are taken from the current directory).
// Answers false, leaving any open help window as it was, when the file cannot be read or holds no
// text.
bool showHelpContents(const QString& helpFileName);

// The help window, once a help file has been shown; nullptr before.
HelpWindow* helpWindow();

// Reads a help file into text; false when it is missing, unreadable, too large or not text.
bool readHelpFile(const QString& path, QString& html);

} // namespace vitrinex
