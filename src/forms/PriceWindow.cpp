#include "forms/PriceWindow.h"

#include "collection/Win1252.h"
#include "forms/SkinnedWindow.h"
#include "forms/ValueChart.h"
#include "model/CollectionSession.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

using namespace vitrinex;

namespace {

std::optional<ChartPoint> chartPoint(const std::string& time, std::string_view price) {
    long double amount = 0;
    const QDateTime t = QDateTime::fromString(QString::fromStdString(time), Qt::ISODate);
    if (!t.isValid() || !amountValue(price, amount)) return std::nullopt;
    return ChartPoint{t.toMSecsSinceEpoch(), static_cast<double>(amount)};
}

} // namespace

TPriceForm::TPriceForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PriceForm"));
    setWindowTitle(QStringLiteral("price over time"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, kSkinWhite);
    setPalette(palette);
    setAutoFillBackground(true);
    LabelStyle titleStyle;
    titleStyle.pointSize = 12;
    titleStyle.alignment = Qt::AlignHCenter | Qt::AlignTop;
    TitleLBL = addLabel(this, QStringLiteral("TitleLBL"), QString(), {}, titleStyle);
    PriceGraph = new TValueChart(this, TValueChart::Look::Axes);
    PriceGraph->setObjectName(QStringLiteral("PriceGraph"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 14, 8);
    layout->addWidget(TitleLBL);
    layout->addWidget(PriceGraph, 1);
    resize(560, 340);
}

void TPriceForm::showFor(CollectionSession& collection, const std::string& itemName) {
    std::vector<ChartPoint> points;
    QString failure;
    try {
        for (const PricePoint& p : collection.priceHistory(itemName))
            if (const auto point = chartPoint(p.time, p.price)) points.push_back(*point);
    } catch (const std::exception& e) {
        failure =
            QStringLiteral(" (its price history cannot be read: %1)").arg(QString::fromLocal8Bit(e.what()));
    }
    QString title = toQString(itemName);
    const TFigureNode* item = collection.collection().currentItem();
    if (item && nameKey(item->Record.FigureName.view()) == nameKey(itemName)) {
        title = toQString(item->Record.FigureName.view());
        long double now = 0;
        if (amountValue(item->Record.Price.view(), now))
            points.push_back({QDateTime::currentMSecsSinceEpoch(), static_cast<double>(now)});
    }
    TitleLBL->setText(title + failure);
    PriceGraph->setPoints(std::move(points));
    if (!placed_) {
        placed_ = true;
        centerOnScreen(this);
    }
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TPriceForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
