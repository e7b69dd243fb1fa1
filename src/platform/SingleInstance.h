#pragma once
// TPreviousInstance: one running copy per user and program name. The first copy listens on a local
// socket named after the application's default title, in a folder only the user can enter, and talks
// only to copies of the same user; a later copy finds it there, asks it to bring its window forward
// (or to open its file) and ends.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace vitrinex {

// The default application title for a program file: its name without the folder (either slash),
// cut at the first dot, every character after the first in lower case ("C:\APPS\VITRINEX.EXE" -> "Vitrinex").
QString defaultApplicationTitle(const QString& programFilePath);

// The application's title: the default title of the running program file until someone sets it.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The per-user name of the guard for a title: the title, a dash and the user's id.
QString instanceGuardName(const QString& title);

} // namespace vitrinex

class TPreviousInstance : public QObject {
    Q_OBJECT
public:
    // Guards the application's title as it is now (the default title at program start).
    explicit TPreviousInstance(QObject* parent = nullptr);
    explicit TPreviousInstance(const QString& title, QObject* parent = nullptr);
    ~TPreviousInstance() override;

    // The first guard made in this process that still lives, or nullptr.
    static TPreviousInstance* instance();

    // True when another copy already held the guard when this one was made.
    bool isPreviousInstance() const { return previous_; }
    // True while this copy holds the guard and answers later copies.
    bool isGuarding() const;
    QString title() const { return title_; }
    // Where the local socket lives: a full path in a folder only this user can enter; empty when
    // there is no such folder (the copy then runs without a guard).
    QString serverPath() const { return serverPath_; }

    // The window standing for this copy when a request names the application's title.
    void setMainWindow(QWidget* window);
    QWidget* mainWindow() const { return mainWindow_; }

    // How long a later copy waits for the running one's answer. A copy that answers nothing in that
    // time hangs: the later copy says so instead of ending silently.
    static constexpr int kAnswerTimeoutMs = 4000;

    // Asks the copy that holds the guard to bring forward its window with that title. True when it
    // answered that it found one; false when nobody answered in time or no window matched.
    bool askToShowWindow(const QString& title, int timeoutMs = kAnswerTimeoutMs) const;
    // Hands `path` (absolute) to the copy that holds the guard, which brings its main window forward
    // and opens it there. True when it took the file.
    bool askToOpenFile(const QString& path, int timeoutMs = kAnswerTimeoutMs) const;
    // Whether the copy asked last answered at all (yes or no) in time.
    bool lastRequestAnswered() const { return answered_; }

    // The file this copy was started with, for the running copy to open when this one is a later copy.
    void setFileToHandOver(const QString& path) { fileToHandOver_ = path; }
    QString fileToHandOver() const { return fileToHandOver_; }

    // The window this copy brings forward for a request naming `title`: a visible top-level window with
    // that title, else the main window when `title` is the application's title, else a hidden one.
    QWidget* findWindow(const QString& title) const;
    // Restores a minimized window, otherwise raises and activates it. Returns true when it restored.
    static bool bringForward(QWidget* window);

signals:
    // A later copy asked for `title`; `window` is what was brought forward (nullptr when none matched).
    void windowRequested(const QString& title, QWidget* window, bool restored);
    // A later copy handed over a file to open; the main window has been brought forward.
    void fileOpenRequested(const QString& path);

private:
    void startGuard();
    void acceptConnections();
    void readRequest(QLocalSocket* socket);
    bool ask(const QByteArray& request, int timeoutMs) const;

    QString title_;
    QString serverPath_;
    bool previous_ = false;
    std::unique_ptr<QLocalServer> server_;
    QPointer<QWidget> mainWindow_;
    QString fileToHandOver_;
    mutable bool answered_ = false;
};
