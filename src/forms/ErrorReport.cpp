#include "forms/ErrorReport.h"

#include "collection/InOutError.h"
#include "collection/OpenCollection.h"
#include "controls/JpgImg.h"

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
    } catch (const EInOutError& e) {
        reportError(parent, QString::fromUtf8(e.what()));
    } catch (const EConvertError& e) {
        reportError(parent, QString::fromUtf8(e.what()));
    } catch (const EJPEGException& e) {
        reportError(parent, QString::fromUtf8(e.what()));
    } catch (const EFOpenError& e) {
        reportError(parent, QString::fromUtf8(e.what()));
    } catch (const std::exception& e) {
        reportError(parent, QString::fromUtf8(e.what()));
    }
    return false;
}

} // namespace vitrinex
