// Printing through a real print server: a private cupsd with the virtual PDF printer as its
// default queue, and the real cardvane printing a ticket from its print folder on the system
// printer (no PDF folder set), as it would on race day.

#include "CardvaneProgram.h"

#if defined(SISIM_PATH) && defined(CARDVANE_PATH)

#include "platform/Cp1250.h"
#include "testsupport/TempDir.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <signal.h>
#include <sys/wait.h>
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

// A client tool's output and its exit status.
struct Result {
    std::string out;
    int status = -1;
};

// A print server of the test's own: configuration, spool, cache, state and logs in `dir`,
// listening only on a socket there, so a system cupsd, if one runs, never sees it. The PDF
// printer's backend reads its settings from one fixed file under /etc/cups; the server runs in
// a mount namespace of its own where the test's settings are bound over that file, so the
// system's file is neither read nor changed and the PDFs land in `dir`. Stopped however the
// test ends.
class PrivateCups {
public:
    explicit PrivateCups(const fs::path& dir) : dir_(dir) {
        for (const char* sub :
             {"etc", "spool/tmp", "cache", "state", "log", "pdf", "pdf-spool", "home"}) {
            fs::create_directories(dir_ / sub);
        }
        // The filters run as the user lp and must reach the spool folder.
        fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
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
        launch.args = {"--mount",
                       "--propagation",
                       "private",
                       "--",
                       "/bin/sh",
                       "-c",
                       script,
                       "sh",
                       in("cups-pdf.conf"),
                       in("etc/cupsd.conf"),
                       in("etc/cups-files.conf")};
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
    fs::path PdfFolder() const { return dir_ / "pdf"; }
    bool Running() const { return server_->Running(); }
    std::string Log() const { return server_->Output() + ReadBytes(dir_ / "log" / "error_log"); }
    // What points a client at this server only, with client settings of the test's own.
    std::vector<std::string> ClientEnv() const {
        return {"CUPS_SERVER=" + Socket(), "CUPS_SERVERROOT=" + (dir_ / "etc").string(),
                "HOME=" + (dir_ / "home").string()};
    }
    static std::vector<std::string> ClientEnvDropped() {
        return {"CUPS_", "HOME=", "LPDEST=", "PRINTER="};
    }
    // A client tool (lpadmin, lpstat ...) run against this server.
    Result Client(const std::string& command) const {
        std::string line = "env";
        for (const std::string& v : ClientEnvDropped()) {
            if (v.back() == '=') {
                line += " -u " + v.substr(0, v.size() - 1);
            }
        }
        for (const std::string& v : ClientEnv()) {
            line += " '" + v + "'";
        }
        Result r;
        if (FILE* p = ::popen((line + " " + command + " 2>&1").c_str(), "r")) {
            char buf[4096];
            size_t n = 0;
            while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) {
                r.out.append(buf, n);
            }
            const int status = ::pclose(p);
            r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        return r;
    }

private:
    fs::path dir_;
    std::unique_ptr<testsupport::OffscreenProgram> server_;
};

std::vector<fs::path> Pdfs(const fs::path& folder) {
    std::vector<fs::path> pdfs;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".pdf") {
            pdfs.push_back(it->path());
        }
    }
    return pdfs;
}

// Bands of rows with ink, each a line of text, counted down to `bottom`; -1 when there is ink
// below it.
int TextLines(const QImage& page, int bottom) {
    if (page.isNull()) {
        return -1;
    }
    int lines = 0;
    bool inLine = false;
    for (int y = 0; y < page.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < page.width() && !ink; ++x) {
            ink = qGray(page.pixel(x, y)) < 128;
        }
        if (ink && y >= bottom) {
            return -1;
        }
        lines += ink && !inLine;
        inLine = ink;
    }
    return lines;
}

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
    // The print server's filters run as the user lp and must get through to its folder.
    fs::permissions(dir.Path(),
                    fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    fs::perm_options::add);
    PrivateCups cups(dir / "cups");
    const auto log = [&] { return "print server log:\n" + cups.Log(); };

    ASSERT_TRUE(Eventually([&] {
        return cups.Running() && cups.Client("lpstat -r").out.find("scheduler is running") == 0;
    })) << log();
    const std::string queue = Queue;
    Result r = cups.Client("lpadmin -p " + queue + " -v cups-pdf:/ -P " + PdfPpd + " -E");
    ASSERT_EQ(r.status, 0) << r.out << log();
    r = cups.Client("lpadmin -d " + queue);
    ASSERT_EQ(r.status, 0) << r.out << log();
    r = cups.Client("lpoptions -d " + queue);
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(cups.Client("lpstat -d").out, "system default destination: " + queue + "\n");

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
    const std::string ticket = "Mezičasy 1234567\r\nDvořák Jiří   H21   45:12\r\nŽluťoučký kůň\r\n";
    WriteBytes(printDir / "tisk.txt", platform::Utf8ToCp1250(ticket));

    testsupport::ProgramLaunch launch;
    launch.dropEnv = PrivateCups::ClientEnvDropped();
    launch.env = cups.ClientEnv();
    Cardvane cv(Cardvane::CopyProgram(dir.Path()), dir.Path(), "cardvane", launch);
    EXPECT_TRUE(Eventually([&] { return !fs::exists(printDir / "tisk.txt"); }, 40))
        << cv.Errors() << log();
    // The job completes and the PDF printer writes it.
    EXPECT_TRUE(Eventually(
        [&] {
            return !Pdfs(cups.PdfFolder()).empty() && cups.Client("lpstat -o").out.empty() &&
                   !cups.Client("lpstat -W completed -o").out.empty();
        },
        30))
        << "pending: " << cups.Client("lpstat -o").out << cv.Errors() << log();
    const Result completed = cups.Client("lpstat -W completed -o " + queue);
    EXPECT_EQ(std::count(completed.out.begin(), completed.out.end(), '\n'), 1) << completed.out;
    const std::vector<fs::path> pdfs = Pdfs(cups.PdfFolder());
    ASSERT_EQ(pdfs.size(), 1u);
    // Cardvane's job for the ticket: one page whose three lines of text stand at its top.
    const std::string info = printtest::Run("pdfinfo '" + pdfs[0].string() + "'");
    EXPECT_NE(info.find("tisk.txt"), std::string::npos) << info;
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    const fs::path png = dir / "ticket";
    printtest::Run("pdftoppm -q -r 100 -png -singlefile '" + pdfs[0].string() + "' '" +
                   png.string() + "'");
    EXPECT_EQ(TextLines(QImage(QString::fromStdString(png.string() + ".png")), 150), 3);

    cv.Signal(SIGTERM);
    EXPECT_EQ(cv.WaitExit(), 0) << cv.Errors();
}

#endif
