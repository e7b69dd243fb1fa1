#include "reports/RecordingPrinter.h"

namespace vitrinex {

RecordingPrinter::RecordingPrinter(int resolution, int pageWidth, int pageHeight)
    : resolution_(resolution), pageWidth_(pageWidth), pageHeight_(pageHeight) {}

void RecordingPrinter::beginDoc() {
    calls_ << QStringLiteral("begin");
}

void RecordingPrinter::endDoc() {
    calls_ << QStringLiteral("end");
}

void RecordingPrinter::abortDoc() {
    calls_ << QStringLiteral("abort");
}

void RecordingPrinter::newPage() {
    calls_ << QStringLiteral("newpage");
}

void RecordingPrinter::setFont(const QString& family, int pointSize) {
    pointSize_ = pointSize;
    calls_ << QStringLiteral("font %1 %2").arg(family).arg(pointSize);
}

int RecordingPrinter::textWidth(const QString& text) {
    return static_cast<int>(text.size()) * pointSize_ * resolution_ / 144;
}

void RecordingPrinter::textOut(int x, int y, const QString& text) {
    calls_ << QStringLiteral("text %1 %2 %3").arg(x).arg(y).arg(text);
}

QStringList RecordingPrinter::texts() const {
    QStringList out;
    for (const QString& call : calls_)
        if (call.startsWith(QLatin1String("text "))) out << call.mid(5);
    return out;
}

} // namespace vitrinex
