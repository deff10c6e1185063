#include "PlochaHlavicka.h"

#include <QPainter>

TPlochaHlavicka::TPlochaHlavicka(QColor barva, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), barva_(barva) {}

void TPlochaHlavicka::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) {
        return;
    }
    QColor barva = barva_;
    QString text;
    if (model() != nullptr) {
        const QVariant pozadi =
            model()->headerData(logicalIndex, orientation(), Qt::BackgroundRole);
        if (pozadi.canConvert<QColor>()) {
            barva = pozadi.value<QColor>();
        }
        text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    }
    painter->save();
    painter->fillRect(rect, barva);
    // The cell's edges, as the grid draws its lines.
    painter->setPen(palette().color(QPalette::Mid));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(Qt::black);
    painter->drawText(rect.adjusted(2, 2, -2, -2), int(defaultAlignment()) | Qt::TextSingleLine,
                      text);
    painter->restore();
}
