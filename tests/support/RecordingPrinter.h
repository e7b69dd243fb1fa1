#pragma once
// A printer that draws nothing and records every call, for checking a printed layout without a
// printer. Its text widths follow one simple rule, so positions can be worked out by hand.

#include "reports/Printer.h"

#include <QStringList>

namespace vitrinex {

class RecordingPrinter : public Printer {
public:
    // Every character is half the font's size wide: pointSize * resolution / 144 pixels.
    RecordingPrinter(int resolution, int pageWidth, int pageHeight)
        : resolution_(resolution), pageWidth_(pageWidth), pageHeight_(pageHeight) {}

    void beginDoc() override { calls_ << QStringLiteral("begin"); }
    void endDoc() override { calls_ << QStringLiteral("end"); }
    void abortDoc() override { calls_ << QStringLiteral("abort"); }
    void newPage() override { calls_ << QStringLiteral("newpage"); }
    void setFont(const QString& family, int pointSize) override {
        pointSize_ = pointSize;
        calls_ << QStringLiteral("font %1 %2").arg(family).arg(pointSize);
    }
    int textWidth(const QString& text) override {
        return static_cast<int>(text.size()) * pointSize_ * resolution_ / 144;
    }
    void textOut(int x, int y, const QString& text) override {
        calls_ << QStringLiteral("text %1 %2 %3").arg(x).arg(y).arg(text);
    }
    int pageWidth() const override { return pageWidth_; }
    int pageHeight() const override { return pageHeight_; }
    int resolution() const override { return resolution_; }

    // One line a call: "begin", "end", "abort", "newpage", "font FAMILY SIZE", "text X Y TEXT".
    const QStringList& calls() const { return calls_; }
    // The "text" calls alone, as "X Y TEXT".
    QStringList texts() const {
        QStringList out;
        for (const QString& call : calls_)
            if (call.startsWith(QLatin1String("text "))) out << call.mid(5);
        return out;
    }

private:
    int resolution_, pageWidth_, pageHeight_;
    int pointSize_ = 0;
    QStringList calls_;
};

} // namespace vitrinex
