#pragma once

// A fixture for the kiosk's logic: a fresh SAM folder of race 7 under a temporary Ravlin
// folder, a fake clock, a fake computer and message boxes that are only recorded.

#include "Dialogs.h"
#include "SISam_Proc.h"
#include "SI_Typ.h"
#include "platform/Clock.h"
#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace kiosktest {

class FakePocitac : public SISam_Proc::IPocitac {
public:
    std::string JmenoPocitace() override { return jmeno; }
    std::string NovyGuid() override {
        if (guidy.empty()) {
            return {};
        }
        std::string g = guidy.front();
        guidy.pop_front();
        return g;
    }
    std::string jmeno = "KIOSK1";
    std::deque<std::string> guidy;
};

class RecordedMessages : public Dialogs::IMessages {
public:
    void Error(const std::string& text) override { errors.push_back(text); }
    void Info(const std::string& text) override { errors.push_back(text); }
    bool Confirm(const std::string&) override { return false; }
    std::vector<std::string> errors;
};

class KioskTest : public ::testing::Test {
protected:
    void SetUp() override {
        SI_Typ::ResetGlobals();
        SISam_Proc::ResetGlobals();
        SI_Typ::Zavod = 7;
        SISam_Typ::Param.RavlinPath = tmp.Path().string();
        sam = tmp.Path() / "Z0007" / "SAM";
        std::filesystem::create_directories(sam);
        platform::SetClock(&clock);
        SISam_Proc::SetPocitac(&pocitac);
        Dialogs::SetMessages(&messages);
        clock.SetWall({2026, 6, 1, 12, 34, 56, 78});
    }
    void TearDown() override {
        platform::SetClock(nullptr);
        SISam_Proc::SetPocitac(nullptr);
        Dialogs::SetMessages(nullptr);
        SISam_Proc::ResetGlobals();
        SI_Typ::ResetGlobals();
    }
    // Writes UTF-8 lines as Ravlin does (Windows-1250, CR LF), long enough ago to be stable.
    std::filesystem::path Put(const std::string& name, const std::vector<std::string>& lines,
                              bool stable = true) {
        std::string text;
        for (const std::string& l : lines) {
            text += l + "\r\n";
        }
        const auto file = sam / name;
        testsupport::WriteBytes(file, platform::Utf8ToCp1250(text));
        if (stable) {
            std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() -
                                                       std::chrono::seconds(10));
            written = true;
        }
        return file;
    }
    // A poll; files written "long ago" were first seen by the kiosk long enough before, even
    // one whose last line lacks its end.
    int Poll(const std::string& mask, const std::string& guid = {}) {
        chyba.clear();
        if (written) {
            written = false;
            (void)SISam_Proc::ZpracujVstupniSoubory(mask, guid, chyba);
            const platform::WallTime wall = clock.Now();
            clock.Advance(platform::StableFileCheck::kCutLineMs);
            clock.SetWall(wall);
            chyba.clear();
        }
        return SISam_Proc::ZpracujVstupniSoubory(mask, guid, chyba);
    }

    testsupport::TempDir tmp;
    testsupport::InFolder here{tmp.Path()};
    std::filesystem::path sam;
    platform::FakeClock clock;
    FakePocitac pocitac;
    RecordedMessages messages;
    std::string chyba;
    bool written = false;
};

} // namespace kiosktest
