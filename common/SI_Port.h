#pragma once

// One SI station on one serial line: the readout state machine polled every 200 ms, the
// decoders of every card type, and the files a read card is handed on in.

#include "SI_Backup.h"
#include "SI_Punch.h"
#include "SiProtocol.h"
#include "platform/ServiceState.h"
#include "port.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One card memory block as the results program reads it from the chip data file: 154 bytes,
// little-endian.
struct TCardBlockRec {
    static constexpr size_t Size = 154;
    static constexpr size_t DataSize = 128;

    int16_t stationCode = 0;
    std::string readTime;   // short string of 8: "hh:mm:ss"
    std::string cardNumber; // short string of 8: the number right-aligned with blanks
    uint16_t format = 0;    // 5, 6, 8, 9, 10, 81
    uint16_t blockIndex = 0;
    std::array<uint8_t, DataSize> data{};

    std::array<uint8_t, Size> ToBytes() const;
    static TCardBlockRec FromBytes(const uint8_t* bytes);
};

// The card-number file's one record: the number, then zeros; 63 bytes.
struct TCardNumberRec {
    static constexpr size_t Size = 63;

    int32_t cardNumber = 0;

    std::array<uint8_t, Size> ToBytes() const;
    static TCardNumberRec FromBytes(const uint8_t* bytes);
};

struct TRgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const TRgb&) const = default;
};

// What a port shows: its panel (state text with the indicator colour, card label, bold error
// label) and its info window, a read-only log of the raw traffic.
class ISIPortView {
public:
    virtual ~ISIPortView() = default;
    virtual void ShowState(const std::string& text, TRgb indicator) = 0;
    virtual void ShowCard(const std::string& text) = 0;
    virtual void ShowError(const std::string& text) = 0;
    virtual void InfoClear() = 0;
    virtual void InfoAddLine(const std::string& line) = 0;
    // Continues the last line (hex bytes arriving piece by piece).
    virtual void InfoAppend(const std::string& text) = 0;

    // The panel around the state: group-box caption, the path label, whether the panel (with
    // its indicator), the info window and the backup buttons are shown, and where the panel
    // stands. A view without a panel ignores them.
    virtual void ShowCaption(const std::string& /*caption*/) {}
    virtual void ShowPath(const std::string& /*text*/) {}
    virtual void SetPanelVisible(bool /*visible*/) {}
    virtual void SetInfoVisible(bool /*visible*/) {}
    virtual void SetReadButtonVisible(bool /*visible*/) {}
    virtual void SetWriteButtonVisible(bool /*visible*/) {}
    // The group box's top; the indicator stands 20 pixels lower.
    virtual void SetPanelTop(int /*top*/) {}
    virtual int PanelHeight() const { return 70; }
};

// Opens the serial line of a port; tests put in their own to hand out fake lines. The default
// opens a TPort on the device the settings file names for the COM number.
using TLineOpener =
    std::function<std::unique_ptr<ISerialLine>(int comNumber, int baudRate, std::string& error)>;

// Texts for the display station, line 1 and line 2 in Czech and in English; the main window
// picks the language.
using TDisplayHook = std::function<void(const std::string& r1cz, const std::string& r2cz,
                                        const std::string& r1en, const std::string& r2en)>;

class TSIPort {
public:
    static constexpr size_t RxSize = 2000;
    static constexpr int RecordSlots = 5;

    // Port states of readout modes.
    enum : uint16_t {
        StWaiting = 0,
        StReadFI = 10,
        StSendGetCardData = 20,
        StReadingData = 30,
        StDataOk = 40,
        StDataError = 50,
        StSendAck = 60,
        StWritingData = 70,
    };

    explicit TSIPort(int comNumber);
    TSIPort(const TSIPort&) = delete;
    TSIPort& operator=(const TSIPort&) = delete;

    // One step of the state machine.
    void Poll();
    void SetState(uint16_t newState);
    void SetError(const std::string& text);
    // Discards everything queued on the line; with reset back to state 0. Card messages among
    // it are kept during a readout, and with keepCards also while waiting.
    void Flush(bool reset, bool keepCards = false);
    int ReadTimeout() const;
    int CardNumber() const;

    // Completes the frame (CRC, ETX) and writes it.
    void SendExtCmd(const uint8_t* tmpl, size_t templateLength);
    // False when the bytes are not an extended frame. Bytes after a whole frame are kept in the
    // carry-over buffer.
    bool ParseExtFrame(const uint8_t* bytes, size_t count, SiProtocol::TSIFrameInfo& info);
    // A card type code when a card-inserted message is complete, 0 for nothing (yet), -1 for a
    // bad message.
    int ReadCardInserted();
    void ReadData(bool dleMode);
    void AppendRx(const uint8_t* bytes, size_t count, bool& escapeFlag);
    void LogFrame(std::string_view title, const uint8_t* bytes, size_t count);

    // Decoders of the received replies into the record slots; false (error label set) when a
    // reply fails its checks.
    bool DecodeLegacySi5();
    bool DecodeLegacySi6(int blocks);
    bool DecodeSi5();
    bool DecodeSi6(bool skip);
    bool DecodeSi8(int record);

    // Folder the files go into, with a trailing '/'.
    std::string OutputDir() const;
    std::string OutputFileName(int mode) const;
    // True when done; false to be tried again on the next tick.
    bool WriteCardData();

    std::string PortName() const { return "COM" + std::to_string(comNumber); }
    // Number of records a card of the type fills.
    static int RecordCount(int cardType);

    // ---- Lines, settings and station detection ----
    // Settings variants: 0 chip reader, 1 commentator, 2 self-service, 3 canteen.
    enum : int {
        VariantReader = 0,
        VariantCommentator = 1,
        VariantSelfService = 2,
        VariantCanteen = 3
    };

    // Creates an SI port (with its view) or a display port, which opens its line at 9600 Bd at
    // once when the COM number is not 0.
    static std::unique_ptr<TSIPort> Create(int comNumber, bool display, ISIPortView* view);
    void OpenPort(int mode);
    void SetMode(int mode);
    void SetRychlost(int value);
    void SetMaxTime(int seconds);
    void SetInfoOkno(bool on);
    void UpdateCaption();
    void LoadSettings(int variant);
    // False when the settings file could not be written (its LastError says why).
    bool SaveSettings(int variant);
    void Detect();
    void TestExtendMode();
    // Display station: both lines, blank-filled and cut to 20 characters.
    void ShowOnDisplay(const std::string& line1, const std::string& line2);

    std::unique_ptr<ISerialLine> port;
    int32_t DisableCOM = 0;
    std::string Path;
    std::array<uint8_t, RxSize> backupBuf{};
    int32_t backupLen = 0;
    int32_t panelTop = 0;
    bool isDisplay = false;
    int32_t protocol = -1;
    int32_t detectedBaud = -1;
    int32_t extendMode = -1;
    SiProtocol::TSIFrameInfo frameInfo{};
    uint32_t cardType = 0;
    int32_t MaxTime = 4;
    bool CheckSum = true;
    bool InfoOkno = false;
    bool errorShown = false;
    int32_t comNumber = 0;
    uint16_t Rezim = 0;
    int32_t Rychlost = 0;
    std::array<uint8_t, RxSize> rx{};
    uint16_t rxLen = 0;
    bool rxEscape = false;
    uint16_t state = StWaiting;
    std::array<TCardBlockRec, RecordSlots> cardRecords{};
    int64_t stateStart = 0; // monotonic ms
    int32_t lastCard = 0;
    int32_t backupCount = 0;
    float lastPunchTime = 0;
    std::array<uint8_t, RxSize> carry{};
    int32_t carryCount = 0;
    int64_t detectedAt = 0; // monotonic ms
    bool detecting = false;
    // Why the last opening of the line failed (device and reason); empty after success.
    std::string openError;
    // The line's device has gone (a cable pulled): the port keeps its mode and panel and
    // opens the device again once it is back.
    bool LineLost() const { return lineLost_; }

    // Where the port shows itself; none is fine.
    ISIPortView* view = nullptr;
    TDisplayHook displayHook;

    // ---- Station backup readout (mode 3, SI_PortBackup.cpp) and PC Auto punch records
    // (mode 9, SI_PortAutoSend.cpp) ----
    // The read button "čti": asks the station for the first page of its backup memory.
    void StartBackupRead();
    // The write button "Zapiš": runs the control-number dialog and writes the list to the file
    // it chose. False when nothing was written (cancelled, no control number, write failed).
    bool SaveBackupList();
    void ReadBackupStep();
    // Cuts the whole 6-byte records collected so far into the list.
    void CutBackupRecords();
    // A punch record's start found on the line (and kept in the receive buffer).
    bool ReadAutoSend();
    void AppendAutoSend();
    // Takes the punch record at the start of the receive buffer; false (error label set) when
    // it is not one.
    bool DecodePunch();
    // The card number of a punch record (after DLE removal).
    static int32_t PunchCardNumber(const uint8_t* record);

    TBackup backup;
    TPunchRec punch;
    // The next backup request's three values; the data count of the reply being read; the page
    // of the last reply (0 before the first).
    std::array<uint8_t, 3> backupNext{};
    int32_t backupDataLen = 0;
    int32_t backupLastPage = 0;

private:
    void PollBackup();
    void EndBackupReply();
    void FailBackupRead(const std::string& error);
    void PollAutoSend();
    // Drops what cannot begin a punch record from the front of the receive buffer.
    void SyncAutoSend();
    bool WritePunch();

public:
    // ---- end of backup readout and PC Auto ----

private:
    void InfoLine(const std::string& line);
    void InfoAppend(const std::string& text);
    void Write(const uint8_t* bytes, size_t n);
    void WriteAck();
    // Stores one received byte at the end of the receive buffer with the hex display; a byte
    // that does not fit is counted in lost.
    void StoreRx(uint8_t b, int lineStart, size_t& lost);
    std::string CardLabel() const;
    void FillRecord(int slot, int16_t station, int format, const uint8_t* data);
    void PollReadout();
    void FinishWith(bool decoded);
    void NextBlock(bool decoded, uint8_t block, uint16_t nextState);
    // Drops the first n bytes of the carry-over buffer.
    void DropCarry(size_t n);
    bool WriteChipData(const std::filesystem::path& file, std::string& reason);
    // Keeps in the carry-over buffer, from among bytes being discarded, the last card-removed
    // message (or the start of one) with whatever follows it, else the first card-inserted
    // message (or the start of one): whichever card went or came is still seen.
    void KeepCardMessages(const std::vector<uint8_t>& bytes);
    // A whole card-removed message, or another card's inserted message, has come during the
    // readout: the card being read has left.
    bool CardLeftMessage() const;
    // Ends the readout when the card has left; whether it did.
    bool EndIfCardLeft();
    // Closes a line whose device has gone and says so on the panel.
    void LoseLine(const std::string& reason);
    void ShowLineLost();
    // Opens a lost line's device again when the retry is due and finds the station's speed
    // as at start; the panel says why while that fails.
    void ReopenLine();

    TRgb indicator_{0, 255, 0};
    std::string stateText_ = "Waiting";
    // The carry-over buffer holds the start of a message, since pendingSince_ (monotonic ms).
    bool pending_ = false;
    int64_t pendingSince_ = 0;
    bool writeFailed_ = false;
    bool lineLost_ = false;
    platform::ServiceState line_;
};

namespace SI_Port {

// The SI ports by COM number; element 0 exists but is never opened.
extern std::array<std::unique_ptr<TSIPort>, 19> Porty;

// How ports open their lines (a TPort by default).
extern TLineOpener LineOpener;
// The main window's status line, told which port detection is probing.
extern std::function<void(const std::string&)> StatusLine;
// While set, LayoutPorts does nothing (the menu's auto-detection runs).
extern bool LayoutOff;
// Stacks the visible port panels (see the port views' SetPanelTop).
void LayoutPorts();

// Where LayoutPorts puts the panels: the top of each shown panel, by COM number.
struct TPanelPlace {
    int com;
    int top;
    bool operator==(const TPanelPlace&) const = default;
};
std::vector<TPanelPlace> PanelPlaces(const std::array<std::unique_ptr<TSIPort>, 19>& ports,
                                     int32_t comProDisplay, uint16_t programKind);
// Width of a port's group box (its buttons stand 80 pixels in from the right edge).
int GroupBoxWidth(uint16_t programKind);

// The card-number file a port in mode 2 writes for COM<com>, looked up in the folder without
// regard to the case of its name (the port writes ".si", readers ask for ".SI").
std::optional<std::filesystem::path> FindCardNumberFile(const std::filesystem::path& folder,
                                                        int com);
// The COM character of file names: '1'..'9', then 'A' for COM10 onwards.
char ComChar(int com);

} // namespace SI_Port
