#include "forms/ErrorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace vitrinex {
namespace {
std::function<void(const QString&)>& testReport() {
    static std::function<void(const QString&)> report;
    return report;
}
} // namespace

void setErrorReportForTesting(std::function<void(const QString&)> report) {
    testReport() = std::move(report);
}

void reportError(QWidget* parent, const QString& message) {
    if (testReport()) {
        testReport()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool runGuarded(QWidget* parent, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const std::exception& e) {
        // EInOutError, EConvertError, EJPEGException, EFOpenError: each carries its message as what().
        reportError(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace vitrinex
