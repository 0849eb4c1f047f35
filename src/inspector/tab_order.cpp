#include "inspector/tab_order.h"

#include <QLayout>
#include <QScrollArea>
#include <QWidget>

namespace lumivex::TabOrder {

namespace {

void collect(QWidget& widget, QList<QWidget*>& chain);

void collectLayout(QLayout& layout, QList<QWidget*>& chain) {
    for (int i = 0; i < layout.count(); ++i) {
        QLayoutItem* item = layout.itemAt(i);
        if (QWidget* child = item->widget()) {
            collect(*child, chain);
        } else if (QLayout* inner = item->layout()) {
            collectLayout(*inner, chain);
        }
    }
}

void collect(QWidget& widget, QList<QWidget*>& chain) {
    if ((widget.focusPolicy() & Qt::TabFocus) != 0 &&
        qobject_cast<QScrollArea*>(&widget) == nullptr) {
        chain.append(&widget);
    }
    if (auto* scroll = qobject_cast<QScrollArea*>(&widget); scroll && scroll->widget()) {
        collect(*scroll->widget(), chain);
    } else if (widget.layout() != nullptr) {
        collectLayout(*widget.layout(), chain);
    }
}

}  // namespace

void followLayouts(QWidget& root) {
    QList<QWidget*> chain;
    collect(root, chain);
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

}  // namespace lumivex::TabOrder
