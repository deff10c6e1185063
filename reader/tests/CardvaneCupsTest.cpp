// Printing through a real print server: a private print server with a queue as the default
// destination, and the real cardvane and hlasvel printing a ticket from their print folders on
// the system printer (no PDF folder set), as they would on race day. A ticket the server did not
// take stays for the next run, and the server's reason is shown on the status line and logged.

#include "CardvaneProgram.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH) && defined(HLASVEL_PATH)

#include "platform/Cp1250.h"
#include "testsupport/PrivateCups.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <signal.h>

using namespace cardvanetest;
using testsupport::WriteBytes;

namespace {

constexpr const char* Queue = "Tiskarna_PDF";

enum class Fault { None, Rejecting, StoppedMidJob };

void WriteTicket(const fs::path& ticket) {
    WriteBytes(ticket, platform::Utf8ToCp1250("Mezičasy 1234567\r\nDvořák Jiří\r\n"));
}

// The program with its print folder (holding `ticket` when `now`); printing on, every second, no
// printer setting (so the default printer).
std::unique_ptr<testsupport::OffscreenProgram> StartWithTicket(bool hlasvel, const fs::path& dir,
                                                               const printtest::PrivateCups& cups,
                                                               fs::path& ticket, bool now) {
    const fs::path printDir = dir / "print";
    fs::create_directories(printDir);
    ticket = printDir / "tisk.txt";
    if (now) {
        WriteTicket(ticket);
    }
    testsupport::ProgramLaunch launch;
    launch.dropEnv = {"CUPS_", "HOME=", "LPDEST=", "PRINTER="};
    launch.env = cups.ClientEnv();
    launch.endsWithTest = true;
    if (hlasvel) {
        WriteBytes(dir / "Hlasvel.ini", "[DefPrint]\r\nTisknout=1\r\nCyklus=1\r\n");
        return std::make_unique<testsupport::OffscreenProgram>(
            testsupport::OffscreenProgram::CopyProgram(HLASVEL_PATH, dir), dir, "hlasvel",
            "HLASVEL_", launch);
    }
    std::string ini =
        "[fQZ_SI]\r\nPodleRavlin=0\r\n[DefPrint]\r\nTisknout=1\r\nCyklus=1\r\nCesta=" +
        printDir.string() + "\r\n[DisableCOM]\r\n";
    for (int n = 1; n <= 18; ++n) {
        ini += "COM" + std::to_string(n) + "=1\r\n";
    }
    WriteBytes(dir / "QZ_SI.ini", ini);
    return std::make_unique<Cardvane>(Cardvane::CopyProgram(dir), dir, "cardvane", launch);
}

} // namespace

TEST(CardvaneCups, TicketPrintsOnTheDefaultPrinterOfARealPrintServer) {
    ASSERT_TRUE(fs::exists(printtest::PrivateCups::Cupsd))
        << "scripts/setup.sh installs the package cups";
    const struct {
        const char* name;
        bool hlasvel;
        Fault fault;
        const char* shown; // in the message and on the status line while the server fails
    } cases[] = {
        {"cardvane", false, Fault::None, ""},
        {"hlasvel", true, Fault::None, ""},
        {"cardvane, queue rejecting jobs", false, Fault::Rejecting, "not accepting jobs"},
        {"hlasvel, queue rejecting jobs", true, Fault::Rejecting, "not accepting jobs"},
        {"cardvane, server stopped mid-job", false, Fault::StoppedMidJob, "Tiskový server: "},
        {"hlasvel, server stopped mid-job", true, Fault::StoppedMidJob, "Tiskový server: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        printtest::PrivateCups cups(dir.Path() / "cups");
        const auto log = [&] { return "print server log:\n" + cups.Log(); };
        ASSERT_EQ(cups.Client("lpstat -r"), "scheduler is running\n") << log();
        cups.AddDefaultQueue(Queue);
        ASSERT_EQ(cups.Client("lpstat -d"),
                  std::string("system default destination: ") + Queue + "\n")
            << log();
        if (c.fault == Fault::Rejecting) {
            cups.Client(std::string("cupsreject ") + Queue);
        }
        fs::path ticket;
        auto program =
            StartWithTicket(c.hlasvel, dir.Path(), cups, ticket, c.fault != Fault::StoppedMidJob);
        if (c.fault == Fault::StoppedMidJob) {
            // The server stops while the program waits for its answer in the ticket's run.
            ASSERT_TRUE(program->StateWhen([](auto&) { return true; }));
            cups.Freeze();
            WriteTicket(ticket);
            ASSERT_TRUE(Eventually([&] { return cups.ClientWaiting(); })) << program->Errors();
            cups.Stop();
        }
        if (c.fault != Fault::None) {
            // The ticket stays and the server's own words are shown and logged; once the
            // server takes jobs again, the next run prints it.
            const char* status = c.hlasvel ? "InfoPrint" : "infoprint";
            EXPECT_TRUE(program->StateWhen([&](auto& s) {
                return s[status].find(c.shown) != std::string::npos;
            })) << program->State()[status]
                << "\n"
                << program->Errors() << log();
            EXPECT_NE(program->Errors().find(c.shown), std::string::npos) << program->Errors();
            EXPECT_TRUE(fs::exists(ticket));
            if (c.fault == Fault::Rejecting) {
                cups.Client(std::string("cupsaccept ") + Queue);
            } else {
                ASSERT_TRUE(cups.Start()) << log();
            }
        }
        EXPECT_TRUE(Eventually([&] { return !fs::exists(ticket); }, 40))
            << program->Errors() << log();
        // The server completed the job and the queue kept one document: the one-page ticket
        // under its file's name.
        EXPECT_TRUE(Eventually(
            [&] {
                return cups.Client("lpstat -o").empty() &&
                       cups.Client(std::string("lpstat -W completed -o ") + Queue).find(Queue) ==
                           0 &&
                       !cups.Documents().empty();
            },
            30))
            << "pending: " << cups.Client("lpstat -o") << program->Errors() << log();
        const std::vector<fs::path> docs = cups.Documents();
        ASSERT_EQ(docs.size(), 1U);
        const std::string info = printtest::Run("pdfinfo '" + docs[0].string() + "'");
        EXPECT_NE(info.find("Title:           tisk.txt\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
        EXPECT_NE(printtest::PdfText(docs[0]).find("Dvořák Jiří"), std::string::npos);

        program->Signal(SIGTERM);
        EXPECT_EQ(program->WaitExit(), 0) << program->Errors();
    }
}

#endif
