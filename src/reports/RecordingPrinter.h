#pragma once
// A printer that draws nothing and records every call, for checking a printed layout without a
// printer. Its text widths follow one simple rule, so positions can be worked out by hand.

#include "reports/Printer.h"

#include <QStringList>

namespace vitrinex {

class RecordingPrinter : public Printer {
public:
    // Every character is half the font's size wide: pointSize * resolution / 144 pixels.
    RecordingPrinter(int resolution, int pageWidth, int pageHeight);

    void beginDoc() override;
    void endDoc() override;
    void abortDoc() override;
    void newPage() override;
    void setFont(const QString& family, int pointSize) override;
    int textWidth(const QString& text) override;
    void textOut(int x, int y, const QString& text) override;
    int pageWidth() const override { return pageWidth_; }
    int pageHeight() const override { return pageHeight_; }
    int resolution() const override { return resolution_; }

    // One line a call: "begin", "end", "abort", "newpage", "font FAMILY SIZE", "text X Y TEXT".
    const QStringList& calls() const { return calls_; }
    // The "text" calls alone, as "X Y TEXT".
    QStringList texts() const;

private:
    int resolution_, pageWidth_, pageHeight_;
    int pointSize_ = 0;
    QStringList calls_;
};

} // namespace vitrinex
