// The main window in this process, against a station simulator: what only a mouse can do.

#include "CardvaneRun.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

#include "QZ_SI.h"
#include "SI_Typ.h"
#include "platform/IniFile.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace cardvanetest;

namespace {

class InFolder {
public:
    explicit InFolder(const fs::path& dir) : old_(fs::current_path()) { fs::current_path(dir); }
    ~InFolder() { fs::current_path(old_); }

private:
    fs::path old_;
};

// Runs the event loop (and so Timer1) until the condition holds.
bool Until(const std::function<bool()>& fn) {
    return Eventually([&] {
        QCoreApplication::processEvents();
        return fn();
    });
}

} // namespace

TEST(MainWindowTest, ShiftClickTogglesSpeedAndAutodetectionFindsTheStationAgain) {
    EnsureQtApp();
    testsupport::TempDir dir;
    Sisim sim(dir.Path(), "sim");
    ASSERT_FALSE(sim.Slave().empty());
    std::string ini = "[fQZ_SI]\r\nPodleRavlin=0\r\n[COM1]\r\nZarizeni=" + sim.Slave() +
                      "\r\nRezim=1\r\n[DisableCOM]\r\n";
    for (int n = 2; n <= 9; ++n) {
        ini += "COM" + std::to_string(n) + "=1\r\n";
    }
    testsupport::WriteBytes(dir / "QZ_SI.ini", ini);
    InFolder in(dir.Path());
    SI_Typ::ResetGlobals();
    {
        TfQZ_SI form;
        TPortPanel* panel = form.Panel(1);
        ASSERT_TRUE(panel->PanelVisible());
        auto caption = [&] {
            const std::string s = panel->StateText();
            const size_t at = s.find("COM1.caption=");
            return s.substr(at, s.find('\n', at) - at);
        };
        EXPECT_NE(caption().find(" (38400) "), std::string::npos) << caption();

        QMouseEvent plain(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(panel->Indicator(), &plain);
        EXPECT_NE(caption().find(" (38400) "), std::string::npos);
        QMouseEvent shifted(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                            Qt::LeftButton, Qt::ShiftModifier);
        QCoreApplication::sendEvent(panel->Indicator(), &shifted);
        EXPECT_NE(caption().find(" (4800) "), std::string::npos) << caption();
        // The line was opened again at the new speed.
        EXPECT_TRUE(
            Eventually([&] { return sim.Log().find("line speed 4800 Bd") != std::string::npos; }));

        // At 4800 Bd the station (set to 38400) does not hear us; detection finds it again.
        form.AutodetekceAction()->trigger();
        EXPECT_NE(caption().find(" (38400) "), std::string::npos) << caption();
        EXPECT_EQ(form.InfoPrint()->text(), "");
        sim.Send("insert si9 1123456");
        EXPECT_TRUE(
            Until([&] { return panel->StateText().find("= 1123456") != std::string::npos; }));
        form.close();
    }
    platform::IniFile saved(dir / "QZ_SI.ini");
    EXPECT_EQ(saved.ReadInteger("COM1", "Rychlost", -1), 1);
    EXPECT_EQ(SI_Typ::IniNastaveni, nullptr);
    SI_Typ::ResetGlobals();
}

#endif
