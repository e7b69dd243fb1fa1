#pragma once
// The open and save dialogs, behind a seam that tests answer without showing a dialog.
// Filters come in the program's own form, pairs of description and pattern separated by "|":
// "figure collector document (*.fcd)|*.fcd|All Files (*.*)|*.*".

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vitrinex {

struct FileDialogRequest {
    enum class Kind { Open, Save, OpenSeveral };
    Kind kind = Kind::Open;
    QWidget* parent = nullptr;
    QString defaultExtension; // without the dot, "fcd"
    QString filter;           // the program's form
    QString proposedName;     // save dialog only
};

class FileDialogs {
public:
    // The chosen file's path, or an empty string when the user cancelled. A name without an
    // extension gets the default one, unless (when opening) a file of exactly that name exists.
    static QString getOpenFileName(QWidget* parent, const QString& defaultExtension, const QString& filter);
    // The existing files chosen together, in the dialog's order; none when the user cancelled. A
    // test's answer gives them separated by kFileSeparator.
    static QStringList getOpenFileNames(QWidget* parent, const QString& filter);
    static constexpr QChar kFileSeparator{u'\0'}; // no file name holds it
    static QString getSaveFileName(QWidget* parent, const QString& defaultExtension, const QString& filter,
                                   const QString& proposedName);

    // Tests: `answer` stands for the user, returning what was picked or typed ("" = cancel); the
    // default-extension rule still applies to it. An empty function brings the real dialogs back.
    // Global because the dialogs are static calls made from many commands of several windows.
    using Answer = std::function<QString(const FileDialogRequest&)>;
    static void setAnswerForTesting(Answer answer);

    // "desc|pattern|desc|pattern" to QFileDialog's "desc (patterns);;desc (patterns)". Several
    // patterns are separated by ";" in the program's form; "*.*" means every file.
    static QString toQtFilter(const QString& filter);
    // `fileName` with "." + `defaultExtension` appended when its last component has no extension.
    static QString withDefaultExtension(const QString& fileName, const QString& defaultExtension);
};

} // namespace vitrinex
