#pragma once
// Files dropped on the main window: a collection (".fcd") opens as a recent entry does, a CSV file is
// offered for import into the open collection. Other files are not taken.

#include <QObject>
#include <QPoint>
#include <QString>

class QMimeData;
class QWidget;

namespace vitrinex {

class FileDrops : public QObject {
    Q_OBJECT
public:
    // Takes the drops on `window`, which is made to accept them.
    explicit FileDrops(QWidget* window);

signals:
    // After the drop has ended, so that the program the file came from is not kept waiting.
    void collectionDropped(const QString& fileName);
    void csvDropped(const QString& fileName, QPoint globalPos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The local file a drop carries when it is a collection or a CSV file (the first such of its files);
// empty when there is none.
QString droppedFileOf(const QMimeData* data);

} // namespace vitrinex
