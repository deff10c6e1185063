#include "K_ColBtn.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOption>

namespace K_ColBtn {

QColor ToQColor(TColor c, const QPalette& palette) {
    if (!IsSystemColor(c)) {
        return QColor(RedOf(c), GreenOf(c), BlueOf(c));
    }
    switch (SystemColorNumber(c)) {
    case 5:
        return palette.color(QPalette::Base);
    case 6:
        return palette.color(QPalette::Shadow);
    case 8:
        return palette.color(QPalette::WindowText);
    case 15:
        return palette.color(QPalette::Button);
    case 16:
        return palette.color(QPalette::Dark);
    case 20:
        return palette.color(QPalette::Light);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace K_ColBtn

using namespace K_ColBtn;

TKColButton::TKColButton(QWidget* parent) : QPushButton(parent) {}

void TKColButton::SetColor(TColor c) {
    st_.Color = c;
    update();
}

void TKColButton::SetColorOnFocus(TColor c) {
    st_.ColorOnFocus = c;
    update();
}

void TKColButton::SetFontColor(TColor c) {
    st_.FontColor = c;
    update();
}

void TKColButton::SetAlignment(TAlignment a) {
    if (a != alignment_) {
        alignment_ = a;
        update();
    }
}

void TKColButton::SetImages(const TImageList* images) {
    images_ = images;
    update();
}

void TKColButton::SetImagesIndex(const std::string& text) {
    if (text == imagesIndex_) {
        return;
    }
    imagesIndex_ = text;
    indexy_ = ParseImagesIndex(text);
    update();
}

void TKColButton::SetImagesLayout(TImagesLayout l) {
    if (l != imagesLayout_) {
        imagesLayout_ = l;
        update();
    }
}

void TKColButton::SetButtonStyle(bool active) {
    if (active != isDefault()) {
        setDefault(active);
        update();
    }
}

void TKColButton::Loaded() {
    if (!isEnabled()) {
        st_.Color = st_.ColorOnDisabled;
    }
}

bool TKColButton::event(QEvent* e) {
    // With KeyTabOnKeyPress the Tab key is an ordinary key for the key handlers; without it
    // the framework moves the focus on as usual.
    if (e->type() == QEvent::KeyPress && keyTabOnKeyPress_) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyPressEvent(k);
            // Unhandled, it would travel up to the form, which moves the focus on Tab.
            k->accept();
            return true;
        }
    }
    return QPushButton::event(e);
}

void TKColButton::paintEvent(QPaintEvent*) {
    PaintInput in;
    in.width = width();
    in.height = height();
    in.enabled = isEnabled();
    in.down = isDown();
    in.focused = hasFocus();
    in.aktivni = Aktivni();
    in.alignment = alignment_;
    in.imagesLayout = imagesLayout_;
    if (images_ != nullptr) {
        in.hasImages = true;
        in.imageWidth = images_->Width();
        in.imageHeight = images_->Height();
        in.imageCount = images_->Count();
    }
    in.indexes = indexy_;
    QString caption = text();
    caption.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    in.captionWidth = fontMetrics().horizontalAdvance(caption + QStringLiteral("  "));
    const PaintPlan plan = PlanPaint(in, st_);

    QPainter p(this);
    const QPalette& pal = palette();
    for (const Bar& b : plan.bars) {
        p.fillRect(QRect(b.r.left, b.r.top, b.r.right - b.r.left, b.r.bottom - b.r.top),
                   ToQColor(b.colour, pal));
    }

    int flags = Qt::AlignVCenter;
    switch (alignment_) {
    case TAlignment::taLeftJustify:
        caption = QStringLiteral("  ") + caption;
        flags |= Qt::AlignLeft;
        break;
    case TAlignment::taRightJustify:
        caption += QStringLiteral("  ");
        flags |= Qt::AlignRight;
        break;
    case TAlignment::taCenter:
        flags |= Qt::AlignHCenter;
        break;
    }
    const Rect& t = plan.textRect;
    const QRect textRect(t.left, t.top, t.right - t.left, t.bottom - t.top);
    p.setFont(font());
    if (plan.textState == 1) {
        p.setPen(ToQColor(clBtnHighlight, pal));
        p.drawText(textRect.translated(1, 1), flags, caption);
        p.setPen(ToQColor(clBtnShadow, pal));
        p.drawText(textRect, flags, caption);
    } else {
        p.setPen(ToQColor(plan.textColour, pal));
        p.drawText(textRect, flags, caption);
    }

    if (images_ != nullptr) {
        QStyleOption opt;
        opt.initFrom(this);
        for (const ImagePlace& im : plan.images) {
            QPixmap pm = images_->Image(im.index);
            if (plan.imagesGreyed) {
                pm = style()->generatedIconPixmap(QIcon::Disabled, pm, &opt);
            }
            p.drawPixmap(im.x, im.y, pm);
        }
    }

    if (plan.focusBox) {
        QPen pen(ToQColor(clWindowText, pal));
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        const Rect& f = plan.focusRect;
        p.drawRect(QRect(f.left, f.top, f.right - f.left - 1, f.bottom - f.top - 1));
    }
}

void TKColButton::keyPressEvent(QKeyEvent* e) {
    QPointer<QWidget> target;
    switch (e->key()) {
    case Qt::Key_PageUp:
        target = focusControl_.PgUp;
        break;
    case Qt::Key_PageDown:
        target = focusControl_.PgDown;
        break;
    case Qt::Key_Left:
        target = focusControl_.Left;
        break;
    case Qt::Key_Up:
        target = focusControl_.Up;
        break;
    case Qt::Key_Right:
        target = focusControl_.Right;
        break;
    case Qt::Key_Down:
        target = focusControl_.Down;
        break;
    default:
        break;
    }
    if (target) {
        // A neighbour that cannot take the focus now keeps it here rather than letting the
        // key wander to whatever control comes next.
        if (target->isEnabled() && target->isVisible()) {
            target->setFocus(Qt::OtherFocusReason);
        }
        e->accept();
        return;
    }

    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if ((enter || e->key() == Qt::Key_Space) && !e->isAutoRepeat()) {
        st_.PressStart();
        update();
    }
    if (enter && !autoDefault() && !isDefault()) {
        // Enter presses the focused button outside dialogs too, as touch-screen keyboards
        // send it.
        click();
        e->accept();
    } else {
        QPushButton::keyPressEvent(e);
    }
    st_.FontColor = clWindowText;
}

void TKColButton::keyReleaseEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if ((enter || e->key() == Qt::Key_Space) && !e->isAutoRepeat()) {
        st_.PressEnd();
        update();
    }
    QPushButton::keyReleaseEvent(e);
    st_.FontColor = clWindowText;
}

void TKColButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        st_.PressStart();
        update();
    }
    QPushButton::mousePressEvent(e);
}

void TKColButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        st_.PressEnd();
        update();
    }
    QPushButton::mouseReleaseEvent(e);
}
