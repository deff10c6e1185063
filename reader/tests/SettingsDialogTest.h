#pragma once

// The settings dialogs' tests: serial lines that always open, and a race with its 18 ports and
// a settings file in a temporary folder, on the shared dialog test helpers.

#include "SI_Port.h"
#include "SI_Typ.h"
#include "testsupport/DialogTestSupport.h"
#include "testsupport/PrintTestSupport.h"
#include "testsupport/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace dlgtest {

using testsupport::Child;
using testsupport::Click;
using testsupport::FakePicker;
using testsupport::RecordingMessages;
using testsupport::SavePicture;

// A line that opens and takes whatever is written.
struct OpenLine : ISerialLine {
    bool IsOpen() const override { return true; }
    int Write(const uint8_t*, int n) override { return n; }
    int Read(uint8_t*, int) override { return 0; }
    int InQueue() override { return 0; }
    int OutQueue() override { return 0; }
};

struct Opened {
    int com;
    int baud;
};

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        printtest::EnsureQtApp();
        SI_Typ::ResetGlobals();
        savedOpener_ = SI_Port::LineOpener;
        SI_Port::LineOpener = [this](int com, int baud, std::string&) {
            opened.push_back({com, baud});
            return std::make_unique<OpenLine>();
        };
        SI_Typ::IniNastaveni = std::make_unique<platform::IniFile>(IniPath());
        for (int n = 0; n <= 18; ++n) {
            SI_Port::Porty[static_cast<size_t>(n)] = TSIPort::Create(n, false, nullptr);
        }
        Dialogs::SetMessages(&messages);
    }
    void TearDown() override {
        Dialogs::SetMessages(nullptr);
        for (auto& p : SI_Port::Porty) {
            p.reset();
        }
        SI_Port::LineOpener = savedOpener_;
        SI_Typ::ResetGlobals();
    }

    std::filesystem::path IniPath() const { return dir / "QZ_SI.ini"; }
    platform::IniFile& Ini() { return *SI_Typ::IniNastaveni; }
    TSIPort& Port(int n) { return *SI_Port::Porty[static_cast<size_t>(n)]; }
    // A folder of the results program with a Ravlin.inf (Windows-1250, CR LF, as it writes it).
    std::filesystem::path RavlinFolder(const std::string& name, const std::string& infBody) {
        std::filesystem::path folder = dir / name;
        std::filesystem::create_directories(folder);
        testsupport::WriteBytes(folder / "Ravlin.inf", "[Ravlin]\r\n" + infBody);
        return folder;
    }

    testsupport::TempDir dir;
    RecordingMessages messages;
    std::vector<Opened> opened;

private:
    TLineOpener savedOpener_;
};

} // namespace dlgtest
