#include "forms/ValueWindow.h"

#include "collection/Win1252.h"
#include "forms/SkinnedWindow.h"
#include "forms/ValueChart.h"
#include "model/CollectionSession.h"

#include <QKeyEvent>
#include <QLabel>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace vitrinex;

TValueForm::TValueForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ValueForm"));
    setWindowTitle(QStringLiteral("value over time"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, kSkinWhite);
    setPalette(palette);
    setAutoFillBackground(true);

    LabelStyle titleStyle;
    titleStyle.pointSize = 12;
    titleStyle.alignment = Qt::AlignHCenter | Qt::AlignTop;
    TitleLBL = addLabel(this, QStringLiteral("TitleLBL"), QString(), {}, titleStyle);
    ValueGraph = new TValueChart(this, TValueChart::Look::Axes);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 14, 8);
    layout->addWidget(TitleLBL);
    layout->addWidget(ValueGraph, 1);
    resize(640, 400);
}

void TValueForm::follow(const CollectionSession* collection) {
    ValueGraph->follow(collection);
    const auto title = [this, collection] {
        TitleLBL->setText(collection->collection().isOpen() ? toQString(collection->collection().statsTitle())
                                                            : QString());
    };
    for (auto signal : {&CollectionSession::opened, &CollectionSession::reloaded,
                        &CollectionSession::infoChanged, &CollectionSession::closed})
        connect(collection, signal, this, title);
    connect(collection, &CollectionSession::closed, this, &QWidget::hide);
}

void TValueForm::showWindow() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TValueForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TValueForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_ && !event->spontaneous()) {
        placed_ = true;
        centerOnScreen(this);
    }
}
