#include "platform/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace vitrinex {

namespace {

FileDialogs::Answer& scriptedAnswer() {
    static FileDialogs::Answer answer;
    return answer;
}

QString bareExtension(const QString& extension) {
    QString e = extension.trimmed();
    while (e.startsWith(u'.'))
        e.remove(0, 1);
    return e;
}

// One pattern list of the program's form ("*.fcd;*.bak") in QFileDialog's form ("*.fcd *.bak").
QString qtPatterns(const QString& patterns) {
    QStringList out;
    for (QString p : patterns.split(u';', Qt::SkipEmptyParts)) {
        p = p.trimmed();
        if (p.isEmpty()) continue;
        // "*.*" matched every file where these filters come from; here it would need a dot.
        if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        if (!out.contains(p)) out.append(p);
    }
    return out.join(u' ');
}

QString ask(const FileDialogRequest& request) {
    if (const auto& answer = scriptedAnswer()) return answer(request);

    const bool saving = request.kind == FileDialogRequest::Kind::Save;
    QFileDialog dialog(request.parent, saving ? QStringLiteral("Save As") : QStringLiteral("Open"));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Opening accepts a typed name that does not exist; the command reports it.
    dialog.setFileMode(request.kind == FileDialogRequest::Kind::OpenSeveral ? QFileDialog::ExistingFiles
                                                                            : QFileDialog::AnyFile);
    const QString filter = FileDialogs::toQtFilter(request.filter);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    // When saving, the suffix goes on before the dialog asks about replacing an existing file.
    if (saving) dialog.setDefaultSuffix(bareExtension(request.defaultExtension));
    if (saving && !request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    if (request.kind == FileDialogRequest::Kind::OpenSeveral) return files.join(FileDialogs::kFileSeparator);
    return files.isEmpty() ? QString() : files.first();
}

} // namespace

QString FileDialogs::toQtFilter(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    static const QRegularExpression trailingGroup(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList entries;
    // Parts come in pairs; a description without its pattern is dropped.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = qtPatterns(parts[i + 1]);
        if (patterns.isEmpty()) continue;
        QString description = parts[i].trimmed();
        // QFileDialog takes the patterns from the description's last bracketed group, so a
        // description that shows its patterns gets them in this form.
        description.remove(trailingGroup);
        if (description.isEmpty()) description = patterns;
        entries.append(description + QStringLiteral(" (") + patterns + u')');
    }
    return entries.join(QStringLiteral(";;"));
}

QString FileDialogs::withDefaultExtension(const QString& fileName, const QString& defaultExtension) {
    const QString extension = bareExtension(defaultExtension);
    if (fileName.isEmpty() || extension.isEmpty()) return fileName;
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const QString lastPart = fileName.mid(slash + 1);
    // A folder is no file name to complete.
    if (lastPart.isEmpty()) return fileName;
    if (lastPart.contains(u'.')) return fileName;
    return fileName + u'.' + extension;
}

QString FileDialogs::getOpenFileName(QWidget* parent, const QString& defaultExtension,
                                     const QString& filter) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.parent = parent;
    request.defaultExtension = defaultExtension;
    request.filter = filter;
    const QString chosen = ask(request);
    if (chosen.isEmpty()) return {};
    // An existing file is opened by its own name, extension or not (a backup can be named "bak").
    if (QFileInfo(chosen).isFile()) return chosen;
    return withDefaultExtension(chosen, defaultExtension);
}

QStringList FileDialogs::getOpenFileNames(QWidget* parent, const QString& filter) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::OpenSeveral;
    request.parent = parent;
    request.filter = filter;
    const QString chosen = ask(request);
    return chosen.isEmpty() ? QStringList() : chosen.split(kFileSeparator, Qt::SkipEmptyParts);
}

QString FileDialogs::getSaveFileName(QWidget* parent, const QString& defaultExtension, const QString& filter,
                                     const QString& proposedName) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.parent = parent;
    request.defaultExtension = defaultExtension;
    request.filter = filter;
    request.proposedName = proposedName;
    return withDefaultExtension(ask(request), defaultExtension);
}

void FileDialogs::setAnswerForTesting(Answer answer) {
    scriptedAnswer() = std::move(answer);
}

} // namespace vitrinex
