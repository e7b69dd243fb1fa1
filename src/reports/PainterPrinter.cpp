#include "reports/PainterPrinter.h"

#include "Version.h"
#include "collection/SafeFile.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetrics>
#include <QPdfWriter>
#include <QPrinter>

namespace vitrinex {

PainterPrinter::PainterPrinter(QPagedPaintDevice& device) : device_(device) {}

void PainterPrinter::beginDoc() {
    if (!painter_.begin(&device_)) throw EPrinterError("Printer selected is not valid");
}

void PainterPrinter::endDoc() {
    if (!painter_.end()) throw EPrinterError("Printer is not currently printing");
}

void PainterPrinter::abortDoc() {
    if (auto* printer = dynamic_cast<QPrinter*>(&device_)) printer->abort();
    painter_.end();
}

void PainterPrinter::newPage() {
    if (!device_.newPage()) throw EPrinterError("Printer is not currently printing");
}

void PainterPrinter::setFont(const QString& family, int pointSize) {
    font_ = QFont(family);
    font_.setPointSize(pointSize);
    painter_.setFont(font_);
}

int PainterPrinter::textWidth(const QString& text) {
    return QFontMetrics(font_, &device_).horizontalAdvance(text);
}

void PainterPrinter::textOut(int x, int y, const QString& text) {
    // The printer places a text by the top of its line; QPainter by its baseline.
    painter_.drawText(x, y + QFontMetrics(font_, &device_).ascent(), text);
}

int PainterPrinter::pageWidth() const {
    return device_.width();
}

int PainterPrinter::pageHeight() const {
    return device_.height();
}

int PainterPrinter::resolution() const {
    return device_.logicalDpiX();
}

void printToPdfFile(const std::string& path, const CopyRules& rules, const QPageLayout& layout,
                    int resolution, const PrintDrawing& draw) {
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(resolution);
        writer.setPageLayout(layout);
        writer.setCreator(QString::fromLatin1(kApplicationTitle));
        PainterPrinter printer(writer);
        draw(printer);
    }
    const QByteArray& bytes = pdf.data();
    writeCopyFile(path, rules, [&bytes](const ByteSink& sink) { sink(bytes.constData(), bytes.size()); });
}

void printOnPrinter(QPrinter& printer, const CopyRules& rules, const PrintDrawing& draw) {
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        printToPdfFile(QFile::encodeName(printer.outputFileName()).toStdString(), rules, printer.pageLayout(),
                       printer.resolution(), draw);
        return;
    }
    PainterPrinter target(printer);
    draw(target);
}

} // namespace vitrinex
