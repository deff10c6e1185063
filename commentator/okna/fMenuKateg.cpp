#include "fMenuKateg.h"

#include <QMenu>
#include <QMenuBar>

TfMenuKateg::TfMenuKateg(QWidget* parent) : QMainWindow(parent) {
    for (int k = 0; k <= 50; ++k) {
        QMenu* menu = menuBar()->addMenu("KAT " + QString::number(k));
        for (int j = 1; j <= 5; ++j) {
            menu->addAction("LAP " + QString::number(j));
        }
    }
}
