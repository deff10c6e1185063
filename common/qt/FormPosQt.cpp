#include "FormPosQt.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace FormPosQt {

namespace {

bool OnSomeScreen(const QRect& frame) {
    const auto screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        return true;
    }
    // The title bar must be reachable: a strip along the top of the window.
    const QRect titleStrip(frame.left(), frame.top(), frame.width(), 30);
    for (const QScreen* screen : screens) {
        if (screen->availableGeometry().intersects(titleStrip)) {
            return true;
        }
    }
    return false;
}

} // namespace

const Numbering Shared{Tools::SaveFormPos, Tools::LoadFormPos,
                       [](platform::IniFile& ini, std::string_view section) {
                           return ini.ReadInteger(section, "Status", 0) != 0;
                       }};

bool Load(platform::IniFile& ini, std::string_view section, QWidget& window,
          const Numbering& numbering) {
    if (!numbering.stored(ini, section)) {
        return false;
    }
    Tools::FormPos pos;
    pos.top = window.y();
    pos.left = window.x();
    pos.width = window.width();
    pos.height = window.height();
    numbering.load(ini, section, pos);
    if (pos.width > 0 && pos.height > 0) {
        window.resize(pos.width, pos.height);
    }
    if (OnSomeScreen(QRect(pos.left, pos.top, pos.width, pos.height))) {
        window.move(pos.left, pos.top);
    }
    if (pos.state == Tools::WindowState::Maximized) {
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    }
    return true;
}

void Save(platform::IniFile& ini, std::string_view section, const QWidget& window,
          const Numbering& numbering) {
    Tools::FormPos pos;
    const Qt::WindowStates state = window.windowState();
    if (state & Qt::WindowMinimized) {
        pos.state = Tools::WindowState::Minimized;
    } else if (state & Qt::WindowMaximized) {
        pos.state = Tools::WindowState::Maximized;
    }
    // Position of the frame, size of the inside: what move() and resize() take back.
    pos.top = window.y();
    pos.left = window.x();
    pos.width = window.width();
    pos.height = window.height();
    numbering.save(ini, section, pos);
}

} // namespace FormPosQt
