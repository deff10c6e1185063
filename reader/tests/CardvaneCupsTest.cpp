// Printing through a real print server: a private cupsd with the virtual PDF printer as its
// default queue, and the real cardvane printing a ticket from its print folder on the system
// printer (no PDF folder set), as it would on race day.

#include "CardvaneProgram.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

#include "platform/Cp1250.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <signal.h>
#include <unistd.h>

using namespace cardvanetest;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

constexpr const char* Cupsd = "/usr/sbin/cupsd";
constexpr const char* Unshare = "/usr/bin/unshare";
constexpr const char* PdfBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* PdfBackendConf = "/etc/cups/cups-pdf.conf";
constexpr const char* PdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
constexpr const char* Queue = "Tiskarna_PDF";

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

// A print server of the test's own: configuration, spool, state and logs in `dir`, listening
// only on a socket there, so a system cupsd, if one runs, never sees it. The PDF printer's
// backend reads its settings from one fixed file under /etc/cups; the server runs in a mount
// namespace of its own where the test's settings are bound over that file, so the system's
// file is neither read nor changed and the PDFs land in `dir`. Stopped however the test ends.
class PrivateCups {
public:
    explicit PrivateCups(const fs::path& dir) : dir_(dir) {
        for (const char* sub :
             {"etc", "spool/tmp", "cache", "state", "log", "pdf", "pdf-spool", "home"}) {
            fs::create_directories(dir_ / sub);
        }
        // The filters run as the user lp and must reach the spool folder.
        for (const fs::path& d : {dir_.parent_path(), dir_}) {
            fs::permissions(d, fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::add);
        }
        const auto in = [&](const char* name) { return (dir_ / name).string(); };
        WriteBytes(dir_ / "etc" / "cupsd.conf",
                   Lines({"LogLevel debug", "Listen " + Socket(), "Browsing No",
                          "BrowseLocalProtocols none", "DefaultShared No", "WebInterface No",
                          "DefaultAuthType None", "<Location />", "  Order allow,deny",
                          "  Allow all", "</Location>", "<Policy default>", "  <Limit All>",
                          "    Order deny,allow", "  </Limit>", "</Policy>"}));
        WriteBytes(dir_ / "etc" / "cups-files.conf",
                   Lines({"ServerRoot " + in("etc"), "RequestRoot " + in("spool"),
                          "TempDir " + in("spool/tmp"), "CacheDir " + in("cache"),
                          "StateDir " + in("state"), "ErrorLog " + in("log/error_log"),
                          "AccessLog " + in("log/access_log"), "PageLog " + in("log/page_log"),
                          "Printcap " + in("printcap"), "SystemGroup root"}));
        WriteBytes(dir_ / "cups-pdf.conf", Lines({"Out " + in("pdf"), "AnonDirName " + in("pdf"),
                                                  "Spool " + in("pdf-spool"), "Log " + in("log"),
                                                  "LogType 7", "Grp root"}));
        const std::string script = "mount --bind \"$1\" " + std::string(PdfBackendConf) +
                                   " && exec " + Cupsd + " -f -c \"$2\" -s \"$3\"";
        testsupport::ProgramLaunch launch;
        launch.args = {"--mount", "--propagation", "private", "--", "/bin/sh", "-c", script, "sh"};
        for (const char* file : {"cups-pdf.conf", "etc/cupsd.conf", "etc/cups-files.conf"}) {
            launch.args.push_back(in(file));
        }
        launch.offscreen = false;
        server_ =
            std::make_unique<testsupport::OffscreenProgram>(Unshare, dir_, "cupsd", "", launch);
    }
    ~PrivateCups() {
        server_->Signal(SIGTERM);
        server_->WaitExit(); // and killed by its own end if it is still running
    }
    PrivateCups(const PrivateCups&) = delete;
    PrivateCups& operator=(const PrivateCups&) = delete;

    std::string Socket() const { return (dir_ / "cups.sock").string(); }
    bool Running() const { return server_->Running(); }
    std::string Log() const { return server_->Output() + ReadBytes(dir_ / "log" / "error_log"); }
    // What points a client at this server only, with client settings of the test's own.
    std::vector<std::string> ClientEnv() const {
        return {"CUPS_SERVER=" + Socket(), "CUPS_SERVERROOT=" + (dir_ / "etc").string(),
                "HOME=" + (dir_ / "home").string()};
    }
    // The output of a client tool (lpadmin, lpstat ...) run against this server.
    std::string Client(const std::string& command) const {
        std::string line = "env -u LPDEST -u PRINTER";
        for (const std::string& v : ClientEnv()) {
            line += " '" + v + "'";
        }
        return printtest::Run(line + " " + command + " 2>&1");
    }
    std::vector<fs::path> Pdfs() const {
        std::vector<fs::path> pdfs;
        for (const auto& entry : fs::directory_iterator(dir_ / "pdf")) {
            pdfs.push_back(entry.path());
        }
        return pdfs;
    }

private:
    fs::path dir_;
    std::unique_ptr<testsupport::OffscreenProgram> server_;
};

} // namespace

TEST(CardvaneCups, TicketPrintsOnTheDefaultPrinterOfARealPrintServer) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the PDF printer's backend runs only as root, and the private print "
                        "server needs a mount namespace of its own";
    }
    for (const char* needed : {Cupsd, PdfBackend, PdfBackendConf, PdfPpd}) {
        ASSERT_TRUE(fs::exists(needed)) << needed << " is missing: scripts/setup.sh installs the "
                                        << "packages cups and printer-driver-cups-pdf";
    }
    // A container that forbids mount namespaces cannot host the private server at all.
    if (std::system((std::string(Unshare) + " --mount --propagation private true").c_str()) != 0) {
        GTEST_SKIP() << "this machine does not allow a mount namespace of our own";
    }
    testsupport::TempDir dir;
    PrivateCups cups(dir / "cups");
    const auto log = [&] { return "print server log:\n" + cups.Log(); };
    ASSERT_TRUE(Eventually([&] {
        return cups.Running() && cups.Client("lpstat -r").find("scheduler is running") == 0;
    })) << log();
    const std::string queue = Queue;
    cups.Client("lpadmin -p " + queue + " -v cups-pdf:/ -P " + PdfPpd + " -E");
    cups.Client("lpadmin -d " + queue);
    ASSERT_EQ(cups.Client("lpstat -d"), "system default destination: " + queue + "\n") << log();

    // A ticket in the print folder, as the results program writes it; no printer setting, so
    // the default printer.
    const fs::path printDir = dir / "print";
    fs::create_directories(printDir);
    std::string ini =
        "[fQZ_SI]\r\nPodleRavlin=0\r\n[DefPrint]\r\nTisknout=1\r\nCyklus=1\r\nCesta=" +
        printDir.string() + "\r\n[DisableCOM]\r\n";
    for (int n = 1; n <= 18; ++n) {
        ini += "COM" + std::to_string(n) + "=1\r\n";
    }
    WriteBytes(dir / "QZ_SI.ini", ini);
    WriteBytes(printDir / "tisk.txt",
               platform::Utf8ToCp1250("Mezičasy 1234567\r\nDvořák Jiří\r\n"));

    testsupport::ProgramLaunch launch;
    launch.dropEnv = {"CUPS_", "HOME=", "LPDEST=", "PRINTER="};
    launch.env = cups.ClientEnv();
    Cardvane cv(Cardvane::CopyProgram(dir.Path()), dir.Path(), "cardvane", launch);
    EXPECT_TRUE(Eventually([&] { return !fs::exists(printDir / "tisk.txt"); }, 40))
        << cv.Errors() << log();
    // The job completes and the PDF printer writes it: Cardvane's one-page job for the
    // ticket.
    EXPECT_TRUE(Eventually(
        [&] {
            return cups.Client("lpstat -o").empty() &&
                   cups.Client("lpstat -W completed -o " + queue).find(queue) == 0 &&
                   !cups.Pdfs().empty();
        },
        30))
        << "pending: " << cups.Client("lpstat -o") << cv.Errors() << log();
    const std::vector<fs::path> pdfs = cups.Pdfs();
    ASSERT_EQ(pdfs.size(), 1u);
    const std::string info = printtest::Run("pdfinfo '" + pdfs[0].string() + "'");
    EXPECT_NE(info.find("tisk.txt"), std::string::npos) << info;
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;

    cv.Signal(SIGTERM);
    EXPECT_EQ(cv.WaitExit(), 0) << cv.Errors();
}

#endif
