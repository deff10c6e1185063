// Everything around a port but the readout: creating it, opening its line for a mode and a
// speed, its settings, finding out what station (if any) is on the line, and stacking the
// visible panels.

#include "Dialogs.h"
#include "SI_Port.h"
#include "SI_Typ.h"
#include "Tools.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Paths.h"

using namespace SiProtocol;

namespace {

constexpr int BaudDisplay = 9600;
constexpr int BaudFast = 38400;
constexpr int BaudSlow = 4800;

constexpr int ProtocolLegacy = 6;
constexpr int ProtocolExtended = 7;

// Waits for the station's answers while probing, in milliseconds.
constexpr int WaitExtended38400 = 150;
constexpr int WaitExtended4800 = 200;
constexpr int WaitLegacy = 200;
constexpr int WaitSystemValue = 150;

constexpr int PathMaxChars = 255;

std::unique_ptr<ISerialLine> OpenTPort(int com, int baud, std::string& error) {
    auto p = std::make_unique<TPort>();
    p->name = "COM" + std::to_string(com);
    if (SI_Typ::IniNastaveni) {
        p->device = port::ComDevicePath(*SI_Typ::IniNastaveni, com);
    } else {
        platform::IniFile none{std::filesystem::path{}};
        p->device = port::ComDevicePath(none, com);
    }
    p->baudRate = baud;
    if (!p->Open()) {
        // The operator needs the device and the system's reason (missing adapter, no
        // permission for the serial devices, held by another program).
        error = p->ErrorText();
        return nullptr;
    }
    return p;
}

std::string ComSection(const TSIPort& p) {
    return "COM" + std::to_string(p.comNumber);
}

// Without a settings file the defaults apply and nothing is kept.
platform::IniFile& Settings(platform::IniFile& fallback) {
    return SI_Typ::IniNastaveni ? *SI_Typ::IniNastaveni : fallback;
}

// Written to the file at once, so that a probe that hangs the program leaves the port marked.
void WriteDisableCom(const TSIPort& p, int value) {
    if (SI_Typ::IniNastaveni) {
        SI_Typ::IniNastaveni->WriteInteger("DisableCOM", ComSection(p), value);
    }
}

bool LineOpen(const TSIPort& p) {
    return p.port && p.port->IsOpen();
}

bool ReadingMode(int mode) {
    return mode != 0 && mode != 9;
}

void ShowInfoWindow(TSIPort& p) {
    if (!p.isDisplay && p.view != nullptr) {
        p.view->SetInfoVisible(p.InfoOkno && ReadingMode(p.Rezim));
    }
}

// The panel stands for a port that reads; one whose line failed to open is not shown as
// reading (LayoutPorts gives it no place either).
void ShowPanel(TSIPort& p) {
    if (p.isDisplay || p.view == nullptr) {
        return;
    }
    p.view->SetPanelVisible(ReadingMode(p.Rezim) && (LineOpen(p) || p.LineLost()));
    ShowInfoWindow(p);
    p.view->SetReadButtonVisible(p.Rezim == 3);
    p.view->SetWriteButtonVisible(false);
}

// The first valid extended frame with the command among the bytes received; its length in len.
const uint8_t* FindReply(const TSIPort& p, uint8_t cmd, size_t& len) {
    for (size_t i = 0; i < p.rxLen; ++i) {
        if (p.rx[i] != STX) {
            continue;
        }
        TSIFrameInfo info{};
        const ExtFrameResult r = ParseExtFrameBytes(&p.rx[i], p.rxLen - i, info);
        if (r.status == ExtFrameStatus::Complete && info.valid == 1 && info.cmd == cmd) {
            len = r.consumed;
            return &p.rx[i];
        }
    }
    return nullptr;
}

void Status(const std::string& text) {
    if (SI_Port::StatusLine) {
        SI_Port::StatusLine(text);
    }
}

// Sends set-master-mode at the line's current speed and looks for the station's answer.
bool ProbeExtended(TSIPort& p, int waitMs) {
    p.Flush(true);
    const std::vector<uint8_t> frame = FrameSetMasterMode();
    p.SendExtCmd(frame.data(), frame.size());
    Tools::WaitMs(waitMs);
    p.ReadData(false);
    size_t len = 0;
    return FindReply(p, CmdSetMsMode, len) != nullptr;
}

bool ProbeLegacy(TSIPort& p) {
    p.Flush(true);
    const std::vector<uint8_t> frame = FrameLegacyProbe();
    if (p.port) {
        p.port->Write(frame.data(), static_cast<int>(frame.size()));
    }
    Tools::WaitMs(WaitLegacy);
    p.ReadData(true);
    return p.rxLen == 5 && p.rx[1] == LegacyProbe;
}

void Found(TSIPort& p, int protocol, int baud) {
    p.protocol = protocol;
    p.detectedBaud = baud;
    p.Flush(true);
    p.detecting = false;
    if (protocol == ProtocolExtended) {
        p.TestExtendMode();
    }
    p.UpdateCaption();
    WriteDisableCom(p, 0);
}

// The station's protocol and speed, with the line open at 38400 Bd: extended at 38400 Bd, then
// extended and legacy at 4800 Bd. False when no station answers.
bool ProbeStation(TSIPort& p, bool status) {
    if (status) {
        Status(" testuji ... " + p.PortName() + " 38400 b extend");
    }
    if (ProbeExtended(p, WaitExtended38400)) {
        Found(p, ProtocolExtended, BaudFast);
        return true;
    }
    if (status) {
        Status(" testuji ... " + p.PortName() + " 38400 b");
    }
    p.SetRychlost(0);
    if (ProbeExtended(p, WaitExtended4800)) {
        Found(p, ProtocolExtended, BaudSlow);
        return true;
    }
    if (status) {
        Status(" testuji ... " + p.PortName() + " 4800 b");
    }
    if (ProbeLegacy(p)) {
        Found(p, ProtocolLegacy, BaudSlow);
        return true;
    }
    return false;
}

} // namespace

// ---------------------------------------------------------------------------------------------

std::unique_ptr<TSIPort> TSIPort::Create(int comNumber, bool display, ISIPortView* view) {
    auto p = std::make_unique<TSIPort>(comNumber);
    p->view = view;
    if (display) {
        p->isDisplay = true;
        p->SetMode(9);
        return p;
    }
    p->protocol = -1;
    p->detectedBaud = -1;
    p->extendMode = -1;
    p->detecting = false;
    p->Rezim = 0;
    if (view != nullptr) {
        view->SetPanelVisible(false);
        view->SetReadButtonVisible(false);
        view->SetWriteButtonVisible(false);
    }
    p->SetState(StWaiting);
    ShowInfoWindow(*p);
    p->UpdateCaption();
    return p;
}

void TSIPort::OpenPort(int mode) {
    // COM 0 stands for "no port": it keeps its mode but never opens a line.
    if (comNumber < 1) {
        Rezim = static_cast<uint16_t>(mode);
        return;
    }
    if (mode != 0) {
        port.reset();
        const int baud = isDisplay ? BaudDisplay : Rychlost == 1 ? BaudFast : BaudSlow;
        std::string error;
        std::unique_ptr<ISerialLine> line =
            SI_Port::LineOpener ? SI_Port::LineOpener(comNumber, baud, error) : nullptr;
        if (line && line->IsOpen()) {
            port = std::move(line);
            Rezim = static_cast<uint16_t>(mode);
            openError.clear();
        } else {
            openError = error.empty() ? PortName() : error;
        }
        if (!port && !detecting) {
            std::string text = SI_Typ::LangText("Aktivace portu se nepodařila !", "Error on port");
            if (!error.empty()) {
                text += "\n" + error;
            }
            Dialogs::Messages().Error(text);
        }
    } else {
        port.reset();
        Rezim = 0;
        // Switched off: a lost line is no longer waited for.
        lineLost_ = false;
    }
    ShowPanel(*this);
}

void TSIPort::SetMode(int mode) {
    if (comNumber != 0) {
        OpenPort(mode);
        SI_Port::LayoutPorts();
    } else {
        Rezim = static_cast<uint16_t>(mode);
    }
}

void TSIPort::SetRychlost(int value) {
    Rychlost = value;
    OpenPort(Rezim);
}

void TSIPort::SetMaxTime(int seconds) {
    MaxTime = seconds;
}

void TSIPort::SetInfoOkno(bool on) {
    InfoOkno = on;
    ShowInfoWindow(*this);
}

void TSIPort::UpdateCaption() {
    if (isDisplay || view == nullptr) {
        return;
    }
    std::string caption =
        " COM " + std::to_string(comNumber) + (Rychlost == 1 ? " (38400) " : " (4800) ");
    if (extendMode == 1) {
        caption += " extend mode";
    }
    caption += "  :  " + SI_Typ::PortModeText(Rezim) + " ";
    view->ShowCaption(caption);
    const std::string prefix = SI_Typ::ProgramKind == SI_Typ::KindCanteen
                                   ? std::string()
                                   : SI_Typ::LangText("Zápis do adresáře ", "Write to path ");
    view->ShowPath(prefix + OutputDir());
}

void TSIPort::LoadSettings(int variant) {
    platform::IniFile none{std::filesystem::path{}};
    platform::IniFile& ini = Settings(none);
    const std::string sec = ComSection(*this);
    switch (variant) {
    case VariantReader: {
        DisableCOM = static_cast<int32_t>(ini.ReadInteger("DisableCOM", sec, comNumber >= 10));
        SetRychlost(static_cast<int>(ini.ReadInteger(sec, "Rychlost", 0)));
        const int mode = static_cast<int>(ini.ReadInteger(sec, "Rezim", 0));
        if (DisableCOM == 1) {
            // A port marked disabled may hang the program when opened: it keeps its mode
            // until detection switches it off, but its line stays closed.
            Rezim = static_cast<uint16_t>(mode);
        } else {
            SetMode(mode);
        }
        SetMaxTime(static_cast<int>(ini.ReadInteger(sec, "MaxTime", 4)));
        CheckSum = ini.ReadBool(sec, "CheckSum", true);
        SetInfoOkno(ini.ReadBool(sec, "InfoOkno", false));
        // A settings file carried over from Windows holds folders such as C:\Zavody\Vystup.
        Path = platform::FromWindowsPath(ini.ReadString(sec, "Path", "")).string();
        if (Path.empty()) {
            Path = platform::CurrentDir().string();
        }
        Path = platform::Utf8Left(Path, PathMaxChars);
        break;
    }
    case VariantCommentator:
        SetMode(static_cast<int>(ini.ReadInteger("fQz_Mez", sec, 0)));
        SetRychlost(static_cast<int>(ini.ReadInteger(sec, "Rychlost", 0)));
        break;
    case VariantSelfService:
    case VariantCanteen:
        // Kiosks only ever take card numbers, whatever the file says. The line opens only
        // through detection: a kiosk probing every COM number must not show a box for each
        // number without a device.
        Rychlost = static_cast<int32_t>(ini.ReadInteger(sec, "Rychlost", 1));
        Rezim = 2;
        MaxTime = static_cast<int32_t>(ini.ReadInteger(sec, "MaxTime", 4));
        CheckSum = ini.ReadBool(sec, "CheckSum", true);
        SetInfoOkno(ini.ReadBool(sec, "InfoOkno", false));
        Path = SI_Typ::KioskDataPath();
        break;
    default:
        break;
    }
    UpdateCaption();
}

bool TSIPort::SaveSettings(int variant) {
    bool ok = true;
    if (SI_Typ::IniNastaveni) {
        platform::IniFile& ini = *SI_Typ::IniNastaveni;
        const std::string sec = ComSection(*this);
        if (variant == VariantReader) {
            ok = ini.WriteInteger(sec, "Rezim", Rezim) &&
                 ini.WriteInteger(sec, "Rychlost", Rychlost) &&
                 ini.WriteInteger(sec, "MaxTime", MaxTime) &&
                 ini.WriteBool(sec, "CheckSum", CheckSum) &&
                 ini.WriteBool(sec, "InfoOkno", InfoOkno) && ini.WriteString(sec, "Path", Path) &&
                 ini.WriteInteger("DisableCOM", sec, DisableCOM);
        } else if (variant == VariantCommentator) {
            ok = ini.WriteInteger("fQz_Mez", sec, Rezim) &&
                 ini.WriteInteger(sec, "Rychlost", Rychlost);
        }
    }
    UpdateCaption();
    return ok;
}

void TSIPort::Detect() {
    detecting = true;
    if (DisableCOM == 1) {
        SetMode(0);
        return;
    }
    WriteDisableCom(*this, 1);

    protocol = -1;
    detectedBaud = -1;
    extendMode = -1;
    SetRychlost(1);
    if (Rezim == 0 || Rezim > 2) {
        const bool kiosk = SI_Typ::ProgramKind == SI_Typ::KindSelfService ||
                           SI_Typ::ProgramKind == SI_Typ::KindCanteen;
        SetMode(kiosk ? 2 : 1);
    }
    if (!LineOpen(*this)) {
        SetMode(0);
        UpdateCaption();
        WriteDisableCom(*this, 0);
        return;
    }

    if (ProbeStation(*this, true)) {
        return;
    }

    // No station. detecting stays set: this port's open failures stay quiet from now on.
    SetMode(0);
    WriteDisableCom(*this, 0);
    UpdateCaption();
}

void TSIPort::ReopenLine() {
    if (!line_.DueForTry()) {
        return;
    }
    // The panel says why while the station is away: no dialogs.
    const bool wasDetecting = detecting;
    detecting = true;
    SetRychlost(1);
    const bool opened = LineOpen(*this);
    if (opened && ProbeStation(*this, false)) {
        lineLost_ = false;
        line_.Succeeded();
        InfoLine("Line back");
        SetError("");
        SetState(StWaiting);
        ShowPanel(*this);
        return;
    }
    detecting = wasDetecting;
    const std::string reason =
        opened ? PortName() + ": " +
                     SI_Typ::LangText("žádná SI jednotka neodpovídá", "no SI station answers")
               : openError;
    port.reset();
    if (line_.Failed(reason)) {
        ShowLineLost();
    }
}

void TSIPort::TestExtendMode() {
    extendMode = 0;
    if (protocol <= ProtocolLegacy || !LineOpen(*this)) {
        return;
    }
    Flush(true);
    const std::vector<uint8_t> frame = FrameGetSystemValue();
    SendExtCmd(frame.data(), frame.size());
    Tools::WaitMs(WaitSystemValue);
    ReadData(false);
    size_t len = 0;
    // STX CMD LEN, the station code, the echoed address, then the protocol byte.
    const uint8_t* reply = FindReply(*this, CmdGetSystemValue, len);
    if (reply != nullptr && reply[2] >= 4 && (reply[6] & 0x01) != 0) {
        extendMode = 1;
    }
    Flush(true);
}

// ---------------------------------------------------------------------------------------------

namespace SI_Port {

TLineOpener LineOpener = OpenTPort;
std::function<void(const std::string&)> StatusLine;
bool LayoutOff = false;

int GroupBoxWidth(uint16_t programKind) {
    return programKind == SI_Typ::KindCanteen ? 320 : 400;
}

std::vector<TPanelPlace> PanelPlaces(const std::array<std::unique_ptr<TSIPort>, 19>& ports,
                                     int32_t comProDisplay, uint16_t programKind) {
    const bool ownTops =
        programKind == SI_Typ::KindSelfService || programKind == SI_Typ::KindCanteen;
    std::vector<TPanelPlace> places;
    int top = comProDisplay > 0 ? 75 : 55;
    for (int com = 1; com <= 18; ++com) {
        const TSIPort* p = ports[static_cast<size_t>(com)].get();
        if (p == nullptr || p->DisableCOM == 1 || !(LineOpen(*p) || p->LineLost()) ||
            p->Rezim == 0) {
            continue;
        }
        if (ownTops) {
            top = p->panelTop;
        }
        places.push_back({com, top});
        top += (p->view != nullptr ? p->view->PanelHeight() : 70) + 10;
    }
    return places;
}

void LayoutPorts() {
    if (LayoutOff) {
        return;
    }
    for (const TPanelPlace& place :
         PanelPlaces(Porty, SI_Typ::ComProDisplay, SI_Typ::ProgramKind)) {
        if (ISIPortView* v = Porty[static_cast<size_t>(place.com)]->view) {
            v->SetPanelTop(place.top);
        }
    }
}

} // namespace SI_Port
