// Port settings, opening lines, station detection, panel layout and the display station, with
// lines in memory: the simulator's station logic answers whatever line a port opens.

#include "PortPanelTestSupport.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "SiPortTestSupport.h"
#include "platform/Cp1250.h"
#include "platform/Paths.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace sitest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class Wire;

// A line handed out by the wire: what the port writes reaches the station at once, and its
// answer is queued for the port to read.
class WireLine : public FakeLine {
public:
    WireLine(Wire& wire, int baud);
};

// Every line a port opens, and the station (or nothing) behind them.
class Wire {
public:
    struct Open {
        int com;
        int baud;
        bool operator==(const Open&) const = default;
    };
    struct Sent {
        int baud;
        Bytes bytes;
    };

    explicit Wire(platform::FakeClock& clock) : clock_(clock) {}

    TLineOpener Opener() {
        return [this](int com, int baud, std::string& error) -> std::unique_ptr<ISerialLine> {
            opens.push_back({com, baud});
            if (onOpen) {
                onOpen();
            }
            if (refuse) {
                error = "refused";
                return nullptr;
            }
            return std::make_unique<WireLine>(*this, baud);
        };
    }
    sisim::TimePoint Now() const {
        return sisim::TimePoint(std::chrono::milliseconds(clock_.MonotonicMs()));
    }

    sisim::Station station;
    bool noStation = false;
    bool refuse = false;
    std::function<void()> onOpen;
    std::vector<Open> opens;
    std::vector<Sent> sent;

private:
    platform::FakeClock& clock_;
};

WireLine::WireLine(Wire& wire, int baud) {
    onWrite = [&wire, this, baud](const Bytes& b) {
        wire.sent.push_back({baud, b});
        if (wire.noStation) {
            return;
        }
        wire.station.SetLineSpeed(baud);
        wire.station.Receive(b.data(), b.size(), wire.Now());
        Feed(wire.station.TakeOutput(wire.Now()));
    };
}

class PortSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        platform::SetClock(&clock);
        // In memory: the end-to-end tests cover the file on disk.
        SI_Typ::IniNastaveni = std::make_unique<platform::IniFile>(std::filesystem::path{});
        savedOpener = SI_Port::LineOpener;
        SI_Port::LineOpener = wire.Opener();
        SI_Port::StatusLine = [this](const std::string& s) { status.push_back(s); };
    }
    void TearDown() override {
        for (auto& p : SI_Port::Porty) {
            p.reset();
        }
        SI_Port::LineOpener = savedOpener;
        SI_Port::StatusLine = nullptr;
        SI_Port::LayoutOff = false;
        platform::SetClock(nullptr);
        SI_Typ::ResetGlobals();
    }
    platform::IniFile& Ini() { return *SI_Typ::IniNastaveni; }
    std::unique_ptr<TSIPort> MakePort(int com, PanelView* v = nullptr) {
        return TSIPort::Create(com, false, v != nullptr ? v : &view);
    }
    std::string Guard(int com) {
        return Ini().ReadString("DisableCOM", "COM" + std::to_string(com), "none");
    }

    platform::FakeClock clock;
    Wire wire{clock};
    TLineOpener savedOpener;
    PanelView view;
    RecordingMessages messages;
    std::vector<std::string> status;
};

// ---- settings ----

std::string Fields(const TSIPort& p) {
    return "Rezim=" + std::to_string(p.Rezim) + " Rychlost=" + std::to_string(p.Rychlost) +
           " MaxTime=" + std::to_string(p.MaxTime) + " CheckSum=" + std::to_string(p.CheckSum) +
           " InfoOkno=" + std::to_string(p.InfoOkno) +
           " DisableCOM=" + std::to_string(p.DisableCOM);
}

TEST_F(PortSettingsTest, ReaderVariantLoadsAndSavesItsKeys) {
    for (int com : {1, 9, 10, 18}) {
        auto p = MakePort(com);
        p->LoadSettings(TSIPort::VariantReader);
        EXPECT_EQ(Fields(*p), "Rezim=0 Rychlost=0 MaxTime=4 CheckSum=1 InfoOkno=0 DisableCOM=" +
                                  std::to_string(com >= 10));
        EXPECT_EQ(p->Path, platform::CurrentDir().string());
    }
    EXPECT_THAT(wire.opens, IsEmpty());

    // A long path is cut to 255 characters, not bytes.
    std::string path = "/závod/";
    for (int i = 0; i < 300; ++i) {
        path += "č";
    }
    Ini().SetContent("[com3]\nrezim=2\nRychlost=1\nMaxTime=7\nCheckSum=0\nInfoOkno=1\nPath=" +
                     platform::Utf8ToCp1250(path) + "\n");
    auto p = MakePort(3);
    p->LoadSettings(TSIPort::VariantReader);
    EXPECT_EQ(Fields(*p), "Rezim=2 Rychlost=1 MaxTime=7 CheckSum=0 InfoOkno=1 DisableCOM=0");
    EXPECT_EQ(p->Path, platform::Utf8Left(path, 255));
    EXPECT_THAT(wire.opens, ElementsAre(Wire::Open{3, 38400}));
    EXPECT_TRUE(view.panelVisible);
    EXPECT_TRUE(view.infoVisible);

    Ini().SetContent("");
    p->Path = "/srv/si";
    p->SaveSettings(TSIPort::VariantReader);
    EXPECT_EQ(Ini().Content(), "[COM3]\r\nRezim=2\r\nRychlost=1\r\nMaxTime=7\r\nCheckSum=0\r\n"
                               "InfoOkno=1\r\nPath=/srv/si\r\n[DisableCOM]\r\nCOM3=0\r\n");

    // A folder written on Windows is read as a path here.
    platform::SetDriveRoot('C', "/srv");
    Ini().SetContent("[COM3]\nPath=C:\\Zavody\\Vystup\n");
    p->LoadSettings(TSIPort::VariantReader);
    platform::SetDriveRoot('C', {});
    EXPECT_EQ(p->Path, "/srv/Zavody/Vystup");
}

TEST_F(PortSettingsTest, CommentatorVariantKeepsItsModeInTheMainFormSection) {
    Ini().SetContent("[fQz_Mez]\nCOM4=1\n[COM4]\nRychlost=1\nRezim=2\nMaxTime=9\n"
                     "[DisableCOM]\nCOM4=1\n");
    auto p = MakePort(4);
    p->LoadSettings(TSIPort::VariantCommentator);
    EXPECT_EQ(Fields(*p), "Rezim=1 Rychlost=1 MaxTime=4 CheckSum=1 InfoOkno=0 DisableCOM=0");
    EXPECT_EQ(wire.opens.back(), (Wire::Open{4, 38400}));

    Ini().SetContent("");
    p->Rezim = 2;
    p->SaveSettings(TSIPort::VariantCommentator);
    EXPECT_EQ(Ini().Content(), "[fQz_Mez]\r\nCOM4=2\r\n[COM4]\r\nRychlost=1\r\n");
}

TEST_F(PortSettingsTest, KioskVariantsForceCardNumbersAndTheKioskFolder) {
    for (int variant : {TSIPort::VariantSelfService, TSIPort::VariantCanteen}) {
        SCOPED_TRACE(variant);
        SI_Typ::ProgramKind = static_cast<uint16_t>(variant);
        Ini().SetContent("[DisableCOM]\nCOM5=1\n");
        auto p = MakePort(5);
        p->LoadSettings(variant);
        EXPECT_EQ(Fields(*p), "Rezim=2 Rychlost=1 MaxTime=4 CheckSum=1 InfoOkno=0 DisableCOM=0");
        EXPECT_EQ(p->Path, SI_Typ::KioskDataPath());
        // Only detection opens a kiosk's line.
        EXPECT_TRUE(wire.opens.empty());
        EXPECT_EQ(p->port, nullptr);

        const std::string stored = "[COM5]\nRezim=1\nRychlost=0\nMaxTime=8\nCheckSum=0\n"
                                   "InfoOkno=1\nPath=/elsewhere\n";
        Ini().SetContent(stored);
        p->LoadSettings(variant);
        EXPECT_EQ(Fields(*p), "Rezim=2 Rychlost=0 MaxTime=8 CheckSum=0 InfoOkno=1 DisableCOM=0");
        EXPECT_EQ(p->Path, SI_Typ::KioskDataPath());
        p->SaveSettings(variant);
        EXPECT_EQ(Ini().Content(), stored);
    }
    EXPECT_EQ(view.path, SI_Typ::KioskDataPath()); // the canteen shows no prefix
}

// ---- lines and the panel ----

TEST_F(PortSettingsTest, ModesOpenTheLineAndShowThePanel) {
    auto p = MakePort(3);
    EXPECT_FALSE(view.panelVisible);
    EXPECT_EQ(view.caption, " COM 3 (4800)   :  port není aktivní ");
    EXPECT_EQ(view.path, "Zápis do adresáře " + p->OutputDir());

    p->SetInfoOkno(true);
    EXPECT_FALSE(view.infoVisible);
    p->SetMode(3);
    EXPECT_THAT(wire.opens, ElementsAre(Wire::Open{3, 4800}));
    EXPECT_TRUE(view.panelVisible && view.infoVisible && view.readButton);
    p->SetRychlost(1);
    EXPECT_EQ(wire.opens.back(), (Wire::Open{3, 38400}));
    p->SetMode(9);
    EXPECT_FALSE(view.panelVisible || view.infoVisible || view.readButton || view.writeButton);
    p->SetMode(0);
    EXPECT_FALSE(p->port);

    // COM 0 keeps a mode but never opens anything.
    const size_t opens = wire.opens.size();
    auto zero = MakePort(0);
    zero->SetMode(1);
    zero->SetRychlost(1);
    EXPECT_EQ(zero->Rezim, 1);
    EXPECT_EQ(wire.opens.size(), opens);
    EXPECT_THAT(messages.errors, IsEmpty());
}

TEST_F(PortSettingsTest, AFailedOpenShowsTheDialogOnlyOutsideDetection) {
    auto p = MakePort(3);
    p->SetMode(1);
    wire.refuse = true;
    p->SetRychlost(1);
    EXPECT_THAT(messages.errors, ElementsAre("Aktivace portu se nepodařila !\nrefused"));
    EXPECT_FALSE(p->port);
    EXPECT_EQ(p->Rezim, 1); // the chosen mode is kept for the settings
    EXPECT_FALSE(view.panelVisible);

    SI_Typ::Language = 1;
    p->SetMode(2);
    EXPECT_THAT(messages.errors,
                ElementsAre("Aktivace portu se nepodařila !\nrefused", "Error on port\nrefused"));
    p->detecting = true;
    p->SetMode(1);
    EXPECT_EQ(messages.errors.size(), 2u);
}

// ---- detection ----

TEST_F(PortSettingsTest, ASilentLineIsProbedInThreeStagesWithinTheWaits) {
    wire.noStation = true;
    std::vector<std::string> guardAtOpen;
    wire.onOpen = [&] { guardAtOpen.push_back(Guard(3)); };
    auto p = MakePort(3);
    const int64_t start = clock.MonotonicMs();
    p->Detect();
    EXPECT_EQ(clock.MonotonicMs() - start, 150 + 200 + 200);

    ASSERT_EQ(wire.sent.size(), 3u);
    EXPECT_EQ(wire.sent[0].baud, 38400);
    EXPECT_EQ(wire.sent[0].bytes, SiProtocol::FrameSetMasterMode());
    EXPECT_EQ(wire.sent[1].baud, 4800);
    EXPECT_EQ(wire.sent[1].bytes, SiProtocol::FrameSetMasterMode());
    EXPECT_EQ(wire.sent[2].baud, 4800);
    EXPECT_EQ(wire.sent[2].bytes, (Bytes{0x02, 0x70, 0x00, 0x03}));
    EXPECT_THAT(status, ElementsAre(" testuji ... COM3 38400 b extend", " testuji ... COM3 38400 b",
                                    " testuji ... COM3 4800 b"));
    // The guard is on while the line is open and off again afterwards.
    EXPECT_THAT(guardAtOpen, ElementsAre("1", "1"));
    EXPECT_EQ(Guard(3), "0");
    EXPECT_EQ(p->Rezim, 0);
    EXPECT_FALSE(p->port);
    EXPECT_EQ(p->protocol, -1);
    EXPECT_THAT(messages.errors, IsEmpty());

    // Detection left the port quiet: a later failed open shows nothing.
    wire.refuse = true;
    p->SetMode(1);
    p->Detect();
    EXPECT_EQ(Guard(3), "0");
    EXPECT_THAT(messages.errors, IsEmpty());
}

TEST_F(PortSettingsTest, DetectionSetsTheReadingModeOfTheProgram) {
    Ini().SetContent("[COM3]\nRezim=3\n");
    auto p = MakePort(3);
    p->LoadSettings(TSIPort::VariantReader);
    p->Detect();
    EXPECT_EQ(p->Rezim, 1);
    EXPECT_EQ(p->protocol, 7);
    EXPECT_EQ(p->extendMode, 1);
    for (uint16_t kind : {SI_Typ::KindSelfService, SI_Typ::KindCanteen}) {
        SI_Typ::ProgramKind = kind;
        p->SetMode(9);
        p->Detect();
        EXPECT_EQ(p->Rezim, 2);
    }
}

TEST_F(PortSettingsTest, DisabledPortsAreNeitherOpenedNorProbed) {
    // COM12 has no entry, so it is disabled; COM4 stayed marked after a probe that hung.
    Ini().SetContent("[COM12]\nRezim=1\n[COM4]\nRezim=1\n[DisableCOM]\nCOM4=1\n");
    const std::string before = Ini().Content();
    for (int com : {12, 4}) {
        auto p = MakePort(com);
        p->LoadSettings(TSIPort::VariantReader);
        p->Detect();
        EXPECT_EQ(p->Rezim, 0);
    }
    EXPECT_THAT(wire.opens, IsEmpty());
    EXPECT_EQ(Ini().Content(), before);
}

// ---- layout ----

TEST_F(PortSettingsTest, PanelsStackInComOrderSkippingPortsThatDoNotRead) {
    PanelView views[19];
    for (int com : {2, 3, 5, 7, 9}) {
        SI_Port::Porty[com] = MakePort(com, &views[com]);
    }
    SI_Port::Porty[2]->SetMode(1);
    SI_Port::Porty[3]->SetMode(1);
    SI_Port::Porty[3]->DisableCOM = 1;
    SI_Port::Porty[5]->SetMode(2);
    SI_Port::Porty[9]->SetMode(3);
    SI_Port::Porty[7]->Rezim = 1; // mode set, but its line never opened

    using P = SI_Port::TPanelPlace;
    EXPECT_THAT(SI_Port::PanelPlaces(SI_Port::Porty, 0, SI_Typ::KindReader),
                ElementsAre(P{2, 55}, P{5, 135}, P{9, 215}));
    SI_Port::Porty[2]->panelTop = 300;
    SI_Port::Porty[5]->panelTop = 100;
    SI_Port::Porty[9]->panelTop = 10;
    EXPECT_THAT(SI_Port::PanelPlaces(SI_Port::Porty, 4, SI_Typ::KindCanteen),
                ElementsAre(P{2, 300}, P{5, 100}, P{9, 10}));

    for (auto& v : views) {
        v.tops.clear();
    }
    SI_Port::LayoutOff = true;
    SI_Port::LayoutPorts();
    EXPECT_THAT(views[2].tops, IsEmpty());
    SI_Port::LayoutOff = false;
    SI_Typ::ComProDisplay = 1;
    SI_Port::LayoutPorts();
    EXPECT_THAT(views[2].tops, ElementsAre(75));
    EXPECT_THAT(views[5].tops, ElementsAre(155));
    EXPECT_THAT(views[3].tops, IsEmpty());
}

// ---- display station ----

Bytes Padded(const std::string& utf8) {
    const std::string s = platform::Utf8ToCp1250(utf8);
    Bytes b(s.begin(), s.end());
    b.resize(20, ' ');
    return b;
}

TEST_F(PortSettingsTest, DisplayLinesAreCleanedOfControlCharacters) {
    auto d = TSIPort::Create(7, true, nullptr);
    EXPECT_THAT(wire.opens, ElementsAre(Wire::Open{7, 9600}));
    auto* line = static_cast<FakeLine*>(d->port.get());
    // A control character in a text from the results program would be taken as a command.
    d->ShowOnDisplay("Cíl\t12:34\x1b", "€ ✓");
    EXPECT_THAT(line->written, ElementsAre(Bytes{0x1B, 'Q', 'A'}, Padded("Cíl 12:34"), Bytes{0x0D},
                                           Bytes{0x1B, 'Q', 'B'}, Padded("€ ?"), Bytes{0x0D}));
}

TEST_F(PortSettingsTest, DisplayWithoutALineWritesNothing) {
    auto none = TSIPort::Create(0, true, nullptr);
    none->ShowOnDisplay("OK", "OK");
    EXPECT_THAT(wire.opens, IsEmpty());

    wire.refuse = true;
    auto failed = TSIPort::Create(8, true, nullptr);
    EXPECT_THAT(messages.errors, ElementsAre("Aktivace portu se nepodařila !\nrefused"));
    EXPECT_EQ(failed->Rezim, 0);
    wire.refuse = false;
    failed->ShowOnDisplay("OK", "OK");
    EXPECT_EQ(wire.opens.size(), 1u);
    EXPECT_THAT(wire.sent, IsEmpty());
}

} // namespace
