#pragma once
// The printer interface over QPainter, drawing on a system printer (QPrinter) or a PDF writer, and
// the two ways a print job leaves the program: to a printer, or to a PDF file written atomically.

#include "collection/SafeFile.h"
#include "reports/Printer.h"

#include <QFont>
#include <QPainter>

#include <functional>
#include <string>

class QPageLayout;
class QPagedPaintDevice;
class QPrinter;

namespace vitrinex {

class PainterPrinter : public Printer {
public:
    explicit PainterPrinter(QPagedPaintDevice& device);

    void beginDoc() override;
    void endDoc() override;
    void abortDoc() override;
    void newPage() override;
    void setFont(const QString& family, int pointSize) override;
    int textWidth(const QString& text) override;
    void textOut(int x, int y, const QString& text) override;
    int pageWidth() const override;
    int pageHeight() const override;
    int resolution() const override;

private:
    QPagedPaintDevice& device_;
    QPainter painter_;
    QFont font_;
};

using PrintDrawing = std::function<void(Printer&)>;

// Draws the job into memory as PDF, then replaces `path` with it as a whole, as a copy of the
// collection within `rules` (never through a link, never over a collection). Throws EInOutError
// when the file cannot be written; a job that `draw` stops (EPrintCancelled) writes nothing.
void printToPdfFile(const std::string& path, const CopyRules& rules, const QPageLayout& layout,
                    int resolution, const PrintDrawing& draw);

// Prints on the printer chosen in the print dialog. A PDF file chosen there is written as
// printToPdfFile writes it. Throws EPrinterError when the printer does not take the job.
void printOnPrinter(QPrinter& printer, const CopyRules& rules, const PrintDrawing& draw);

} // namespace vitrinex
