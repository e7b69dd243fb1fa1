#include "reports/PrintLayout.h"

#include "Version.h"
#include "collection/Win1252.h"
#include "reports/ReportText.h"

namespace vitrinex {
namespace {

const QString kRule(132, QLatin1Char('_'));
constexpr std::size_t kCommentWidth = 55;

class PrintJob {
public:
    PrintJob(const OpenCollection& collection, const PrintFields& fields, Printer& printer,
             const PrintProgress& progress)
        : collection_(collection), fields_(fields), printer_(printer), progress_(progress) {}

    int run() {
        const std::vector<const TFigureRecord*> items = liveItemsInKeyOrder(collection_);
        total_ = static_cast<int>(items.size());
        printer_.beginDoc();
        unit_ = printer_.resolution() / 4;
        step_ = printer_.resolution() / 16 * 3;
        family_ = QString::fromLatin1(kPrintTextFont);
        askToGoOn();
        printHeader();
        for (const TFigureRecord* item : items)
            printItem(*item);
        printFooter(closingFooterText());
        printer_.endDoc();
        return page_;
    }

private:
    void setSize(int pointSize) {
        size_ = pointSize;
        printer_.setFont(family_, size_);
    }
    void setFamily(const char* family) {
        family_ = QString::fromLatin1(family);
        printer_.setFont(family_, size_);
    }

    void printHeader() {
        const int u = unit_;
        setSize(12);
        printer_.textOut(0, 0, kRule);
        setSize(22);
        const QString name = toQString(collection_.header().CollectionName);
        printer_.textOut(u, u + u / 4, name);
        const int titleWidth = printer_.textWidth(name);
        setSize(12);
        printer_.textOut(2 * u + titleWidth, u + u / 4 * 3,
                         toQString(collection_.header().CollectionYear) + QStringLiteral("    ") +
                             toQString(collection_.header().Brand));
        printer_.textOut(printer_.pageWidth() - printer_.textWidth(QStringLiteral("page        ")),
                         u + u / 4 * 3, QStringLiteral("page %1").arg(page_));
        printer_.textOut(0, 2 * u + u / 4 * 3, kRule);
        setSize(10);
        line_ = 5 * u;
    }

    // Between pages: the job stops here when asked to.
    void askToGoOn() {
        if (!progress_ || progress_(entry_ - 1, total_)) return;
        printer_.abortDoc();
        throw EPrintCancelled();
    }

    void printFooter(const QString& text) {
        printer_.textOut(printer_.pageWidth() / 2 - printer_.textWidth(text) / 2,
                         printer_.pageHeight() - unit_, text);
    }

    void printItem(const TFigureRecord& item) {
        const int u = unit_;
        // Only here, before an item, so that an item's lines are never split across pages.
        if (printer_.pageHeight() - 5 * u < line_) {
            printFooter(pageFooterText());
            askToGoOn();
            printer_.newPage();
            ++page_;
            printHeader();
        }
        setSize(10);
        const QString heading = QStringLiteral("%1.)  ").arg(entry_) + toQString(item.FigureName.view());
        printer_.textOut(2 * u, line_, heading);
        if (fields_.Quantity)
            printer_.textOut(2 * u + printer_.textWidth(heading + QStringLiteral("  ")), line_,
                             QStringLiteral("(%1)").arg(item.Quantity));
        if (fields_.Price) printer_.textOut(14 * u, line_, toQString(withoutBlanks(item.Price.view())));
        if (fields_.NetChange) printNetChange(item);
        setSize(9);
        ++entry_;

        const auto detail = [this](bool ticked, const char* label, std::string_view text) {
            if (!ticked) return;
            line_ += step_;
            printer_.textOut(5 * unit_, line_, QString::fromLatin1(label) + toQString(text));
        };
        detail(fields_.Year, "year:  ", item.Year.view());
        detail(fields_.Series, "series:  ", item.Series.view());
        detail(fields_.Condition, "condition:  ", item.Condition.view());
        detail(fields_.CatNum, "catalog #:  ", item.CatNum.view());
        if (fields_.Comments && !item.Comments.empty()) printComments(item.Comments.view());
        line_ += u;
    }

    void printNetChange(const TFigureRecord& item) {
        const int x = 14 * unit_;
        const bool falling = item.NetChange.view().find('-') != std::string_view::npos;
        const QString arrow(QChar(falling ? kArrowDown : kArrowUp));
        const QString value = toQString(withoutBlanks(item.NetChange.view())) + QStringLiteral(")");
        if (fields_.Price) {
            const QString price = toQString(item.Price.view());
            printer_.textOut(x + printer_.textWidth(price + QStringLiteral("  ")), line_,
                             QStringLiteral("("));
            setFamily(kPrintArrowFont);
            printer_.textOut(x + printer_.textWidth(price + QStringLiteral("  ")), line_, arrow);
            setFamily(kPrintTextFont);
            printer_.textOut(x + printer_.textWidth(price + QStringLiteral("  (   ")), line_, value);
        } else {
            printer_.textOut(x, line_, QStringLiteral("("));
            setFamily(kPrintArrowFont);
            printer_.textOut(x + printer_.textWidth(QStringLiteral("(")), line_, arrow);
            setFamily(kPrintTextFont);
            printer_.textOut(x + printer_.textWidth(QStringLiteral("(  ,")), line_, value);
        }
    }

    void printComments(std::string_view comment) {
        const QString heading = QStringLiteral("comments:  ");
        bool continuation = false;
        for (const std::string& text : commentLines(comment, kCommentWidth, false)) {
            line_ += step_;
            if (continuation)
                printer_.textOut(5 * unit_ + printer_.textWidth(heading), line_, toQString(text));
            else
                printer_.textOut(5 * unit_, line_, heading + toQString(text));
            continuation = true;
        }
    }

    const OpenCollection& collection_;
    const PrintFields& fields_;
    Printer& printer_;
    const PrintProgress& progress_;
    int total_ = 0;
    int unit_ = 0, step_ = 0, line_ = 0;
    int entry_ = 1, page_ = 1;
    QString family_;
    int size_ = 10;
};

} // namespace

QString pageFooterText() {
    return QString::fromLatin1(kApplicationTitle) + QStringLiteral("  -  collection list");
}

QString closingFooterText() {
    return QString::fromLatin1(kApplicationTitle) +
           QStringLiteral("  -  collection list for collectors of action figures  -  end of list");
}

int printCollection(const OpenCollection& collection, const PrintFields& fields, Printer& printer,
                    const PrintProgress& progress) {
    return PrintJob(collection, fields, printer, progress).run();
}

} // namespace vitrinex
