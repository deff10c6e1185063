#pragma once

#include "SI_Port.h"

#include <QWidget>

#include <functional>
#include <string>

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The round state indicator beside a port's panel. A click with Shift held is handed on.
class TIndicator : public QWidget {
public:
    explicit TIndicator(QWidget* parent);
    void SetColor(TRgb color);
    TRgb Color() const { return color_; }
    std::function<void()> onShiftClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TRgb color_{0, 255, 0};
};

// One SI port on the main window: a group box with the state, card, error and path labels and
// the backup buttons, the indicator beside it, and the port's info window (the raw traffic).
// Everything starts hidden; the port shows what its mode needs.
class TPortPanel : public ISIPortView {
public:
    static constexpr int Left = 50;
    static constexpr int Width = 400;
    static constexpr int Height = 70;

    TPortPanel(int com, QWidget* form);
    ~TPortPanel() override;
    TPortPanel(const TPortPanel&) = delete;
    TPortPanel& operator=(const TPortPanel&) = delete;

    void ShowState(const std::string& text, TRgb indicator) override;
    void ShowCard(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void InfoClear() override;
    void InfoAddLine(const std::string& line) override;
    void InfoAppend(const std::string& text) override;
    void ShowCaption(const std::string& caption) override;
    void ShowPath(const std::string& text) override;
    void SetPanelVisible(bool visible) override;
    void SetInfoVisible(bool visible) override;
    void SetReadButtonVisible(bool visible) override;
    void SetWriteButtonVisible(bool visible) override;
    void SetPanelTop(int top) override;
    int PanelHeight() const override { return Height; }

    bool PanelVisible() const;
    // Bottom edge of the panel on the form (0 while hidden).
    int Bottom() const;
    TIndicator* Indicator() const { return indicator_; }
    QWidget* InfoWindow() const { return info_; }
    QPushButton* ReadButton() const { return read_; }
    QPushButton* WriteButton() const { return write_; }
    // What the panel shows, one "key=value" line each (the test hook's state file).
    std::string StateText() const;

    // Called whenever the panel moves or is shown or hidden (the form sizes its content).
    std::function<void()> onLayoutChanged;

private:
    int com_;
    QGroupBox* box_;
    TIndicator* indicator_;
    QLabel* state_;
    QLabel* error_;
    QLabel* path_;
    QLabel* card_;
    QPushButton* read_;
    QPushButton* write_;
    QWidget* info_;
    QPlainTextEdit* memo_;
};
