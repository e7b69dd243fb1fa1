#pragma once
// TUpdateForm, the "updating..." window: a catalog update from backup to the applied prices, with its
// two texts, its bar, and OK and stats, which act only once the update has stopped. It stays on top
// and is not modal.

#include "controls/PictureButtons.h"
#include "net/UpdateDownload.h"

#include <QWidget>

#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class TJPEGImage;

class TUpdateForm : public QWidget {
    Q_OBJECT
public:
    explicit TUpdateForm(QWidget* parent = nullptr);
    ~TUpdateForm() override;

    // The download this window runs; its owner sets the backup and application before showing it.
    vitrinex::net::UpdateDownload& download() { return download_; }

    void OKJPGMouseUp();
    void StatsJPGMouseUp();

signals:
    // OK closed the window after the update: the main window shows the selected item afresh.
    void okClicked();
    // Stats closed the window: the main window shows the statistics with the updated count.
    void statsClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showDownload();

    vitrinex::net::UpdateDownload download_;
    vitrinex::PictureButtons* buttons_ = nullptr;
    TJPEGImage* UpdateJPG = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* StatusLBL = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    TJPEGImage* OKJPG = nullptr;
    TJPEGImage* StatsJPG = nullptr;
};
