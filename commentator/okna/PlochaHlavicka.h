#pragma once

#include <QColor>
#include <QHeaderView>

// A grid's column header drawn as one flat colour with black text. The style's own header
// drawing keeps a picture of each section for every palette it is handed; a header coloured by
// a style sheet or by the model's background gets a new palette at every paint, so each repaint
// (every refill of the grid) left a full set of pictures in the cache.
class TPlochaHlavicka : public QHeaderView {
public:
    // The model's background of a section, when it gives one, wins over `barva`.
    TPlochaHlavicka(QColor barva, QWidget* parent);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QColor barva_;
};
