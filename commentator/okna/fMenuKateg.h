#pragma once

#include <QMainWindow>

// A fixed category menu: "KAT 0" .. "KAT 50", each with "LAP 1" .. "LAP 5". Its items do
// nothing.
class TfMenuKateg : public QMainWindow {
    Q_OBJECT
public:
    explicit TfMenuKateg(QWidget* parent = nullptr);
};
