#pragma once

#include "K_ColBtnLogic.h"

#include <QPixmap>
#include <QPointer>
#include <QPushButton>

#include <string>
#include <vector>

class QPalette;

namespace K_ColBtn {

// The colour of a kiosk colour value; system colours come from the palette.
QColor ToQColor(TColor c, const QPalette& palette);

// Images of equal size that buttons show beside or above their captions.
class TImageList {
public:
    TImageList(int width, int height) : width_(width), height_(height) {}
    void Add(const QPixmap& image) { images_.push_back(image); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return int(images_.size()); }
    const QPixmap& Image(int i) const { return images_[size_t(i)]; }

private:
    int width_;
    int height_;
    std::vector<QPixmap> images_;
};

// Neighbours that receive the focus on the arrow and page keys (not owned).
struct TFocusControl {
    QPointer<QWidget> Left;
    QPointer<QWidget> PgDown;
    QPointer<QWidget> PgUp;
    QPointer<QWidget> Right;
    QPointer<QWidget> Up;
    QPointer<QWidget> Down;
};

} // namespace K_ColBtn

// The kiosk's large touch button: paints its own background, highlight and pressed colours,
// shows up to five images and hands the focus to chosen neighbours on the arrow and page keys.
class TKColButton : public QPushButton {
    Q_OBJECT
public:
    explicit TKColButton(QWidget* parent = nullptr);

    K_ColBtn::TColor Color() const { return st_.Color; }
    void SetColor(K_ColBtn::TColor c);
    K_ColBtn::TColor ColorOnFocus() const { return st_.ColorOnFocus; }
    void SetColorOnFocus(K_ColBtn::TColor c);
    K_ColBtn::TColor ColorOnDisabled() const { return st_.ColorOnDisabled; }
    void SetColorOnDisabled(K_ColBtn::TColor c) { st_.ColorOnDisabled = c; }
    K_ColBtn::TColor ColorOnFocusDown() const { return st_.ColorOnFocusDown; }
    void SetColorOnFocusDown(K_ColBtn::TColor c) { st_.ColorOnFocusDown = c; }
    K_ColBtn::TColor ColorTextOnFocusDown() const { return st_.ColorTextOnFocusDown; }
    void SetColorTextOnFocusDown(K_ColBtn::TColor c) { st_.ColorTextOnFocusDown = c; }
    // Caption colour; clWindowText unless pressed with cbLikeButtonDown.
    K_ColBtn::TColor FontColor() const { return st_.FontColor; }
    void SetFontColor(K_ColBtn::TColor c);
    K_ColBtn::TColor BarvaZvyrazneni() const { return st_.BarvaZvyrazneni; }

    bool KeyTabOnKeyPress() const { return keyTabOnKeyPress_; }
    void SetKeyTabOnKeyPress(bool on) { keyTabOnKeyPress_ = on; }
    std::string Version() const { return K_ColBtn::Version; }
    void SetVersion(const std::string&) {} // always "1.33"
    K_ColBtn::TFocusControl& FocusControl() { return focusControl_; }
    K_ColBtn::TOptions Options() const { return st_.Options; }
    void SetOptions(K_ColBtn::TOptions o) { st_.Options = o; }
    K_ColBtn::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(K_ColBtn::TAlignment a);
    const K_ColBtn::TImageList* Images() const { return images_; }
    void SetImages(const K_ColBtn::TImageList* images);
    const std::string& ImagesIndex() const { return imagesIndex_; }
    void SetImagesIndex(const std::string& text);
    const std::vector<int32_t>& IndexyObrazku() const { return indexy_; }
    K_ColBtn::TImagesLayout ImagesLayout() const { return imagesLayout_; }
    void SetImagesLayout(K_ColBtn::TImagesLayout l);

    // The active look: the form's default button, or the focused one in a dialog.
    bool Aktivni() const { return isDefault(); }
    void SetButtonStyle(bool active);
    // Called once the form has set the button up: a disabled button takes ColorOnDisabled.
    void Loaded();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    K_ColBtn::ColourState st_;
    bool keyTabOnKeyPress_ = false;
    K_ColBtn::TFocusControl focusControl_;
    K_ColBtn::TAlignment alignment_ = K_ColBtn::TAlignment::taCenter;
    const K_ColBtn::TImageList* images_ = nullptr;
    std::string imagesIndex_;
    std::vector<int32_t> indexy_;
    K_ColBtn::TImagesLayout imagesLayout_ = K_ColBtn::TImagesLayout::imImageLeft;
};
