#pragma once
// TUpdateForm, the "updating..." window: it shows a catalog update (the job below it) from backup to
// the applied prices, with its two texts, its bar, and OK and stats, which act only once the update
// has stopped. It stays on top and is not modal; closing it stops the update.

#include "controls/PictureButtons.h"
#include "update/CatalogUpdate.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class THistoryListForm;
class TJPEGImage;

class TUpdateForm : public QWidget {
    Q_OBJECT
public:
    // Shows `job`, which its owner starts once the window is shown.
    explicit TUpdateForm(vitrinex::update::CatalogUpdate& job, QWidget* parent = nullptr);
    ~TUpdateForm() override;

    vitrinex::update::CatalogUpdate& job() { return job_; }

    void OKJPGMouseUp();
    void StatsJPGMouseUp();
    // The link offered once prices were applied: which items changed, from which price to which, and
    // which catalog numbers matched nothing.
    void ChangesLBLClick();

signals:
    // OK closed the window after the update: the main window shows the selected item afresh.
    void okClicked();
    // Stats closed the window: the main window shows the statistics with the updated count.
    void statsClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    vitrinex::update::CatalogUpdate& job_;
    vitrinex::PictureButtons* buttons_ = nullptr;
    TJPEGImage* UpdateJPG = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* StatusLBL = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    TJPEGImage* OKJPG = nullptr;
    TJPEGImage* StatsJPG = nullptr;
    QLabel* ChangesLBL = nullptr;
    THistoryListForm* ChangesForm = nullptr; // child dialog
};
