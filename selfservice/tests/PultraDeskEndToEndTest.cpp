// End to end through the registration desk: the kiosk's main form with its real chooser,
// keyboard, chip prompt and information form in this process, offscreen, the station simulator
// on a pseudo-terminal as COM1 and the results program's double (ravlinsam) as a process that
// answers the requests. The modal forms are answered by clicking their tiles and buttons.

#if defined(SISIM_PATH) && defined(RAVLINSAM_PATH)

#include "PultraFormSupport.h"
#include "SI_Port.h"
#include "fInfoForma.h"
#include "platform/Files.h"
#include "testsupport/SimProcess.h"

#include <gmock/gmock.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <deque>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Pultra;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

// The double as a child process, ended by SIGTERM as an operator ends it.
class Ravlinsam {
public:
    Ravlinsam(const fs::path& dir, const fs::path& log, const std::string& refuse = {}) {
        std::vector<std::string> args = {RAVLINSAM_PATH, "--dir", dir.string()};
        if (!refuse.empty()) {
            args.insert(args.end(), {"--refuse", refuse});
        }
        const std::string logText = log.string();
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(logText.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            std::vector<char*> argv;
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Ravlinsam() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }
    Ravlinsam(const Ravlinsam&) = delete;
    Ravlinsam& operator=(const Ravlinsam&) = delete;

private:
    pid_t pid_ = -1;
};

class PultraDesk : public kiosktest::KioskFormTest {
protected:
    void SetUp() override {
        KioskFormTest::SetUp();
        // Real time and request names: the double and the simulator run in real time.
        platform::SetClock(nullptr);
        SISam_Proc::SetPocitac(nullptr);
        ravlin = tmp.Path() / "ravlin";
        double_ = std::make_unique<Ravlinsam>(ravlin, tmp.Path() / "ravlinsam.log");
        ASSERT_TRUE(testsupport::Eventually(
            [this] { return fs::exists(ravlin / "Z0007" / "SAM" / "Zavodnik.csv"); }));
        ASSERT_FALSE(sim.Slave().empty()) << sim.Output();
        testsupport::WriteBytes("Pultra.ini", "[Pultra_Main]\r\nRavlinPath=" + ravlin.string() +
                                                  "\r\nCOM=1\r\n[COM1]\r\nZarizeni=" + sim.Slave() +
                                                  "\r\n[Param]\r\nTimeout=10\r\n");
        OpenForm();
        Odpovidej();
        // Pultra.inf and the exports are taken once they have stood still.
        for (int i = 0; i < 100 && (SISam_Proc::MaxID == 0 || Inf.Nazev.empty()); ++i) {
            QTest::qWait(100);
            form->TimerParamRavlinTimer();
            form->TimerVstupniDataTimer();
        }
        ASSERT_GT(SISam_Proc::MaxID, 0) << form->StateText();
        ASSERT_FALSE(Inf.Nazev.empty()) << form->StateText();
    }
    void TearDown() override {
        answerer.stop();
        KioskFormTest::TearDown();
        double_.reset();
        sim.StopAndPrintLog(HasFailure());
    }

    // Answers the modal forms as they come: the chooser by the tile whose caption holds the
    // next text, a message or question by OK (or NO when its answer says so). Waits are left
    // to close by themselves.
    void Odpovidej() {
        answerer.setInterval(20);
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == vyber.get() && !tiles.empty()) {
                for (TKColButton* t : vyber->findChildren<TKColButton*>()) {
                    if (t->isVisible() && t->text().contains(tiles.front())) {
                        chosen.push_back(t->text().toStdString());
                        tiles.pop_front();
                        t->click();
                        return;
                    }
                }
            }
            TfInfoForma& info = form->InfoForma();
            if (modal == &info && !info.Model().Cekani()) {
                seen.push_back(info.Model().Radek1() + " | " + info.Model().Radek2());
                const bool ok = answers.empty() || answers.front();
                if (!answers.empty()) {
                    answers.pop_front();
                }
                (ok ? info.BtnOK() : info.BtnNe())->click();
            }
        });
        answerer.start();
    }
    std::string Protokol() const {
        std::string log;
        platform::ReadWholeFile("Protokol.txt", log, nullptr);
        return platform::Cp1250ToUtf8(log);
    }

    testsupport::SimProcess sim{SISIM_PATH};
    fs::path ravlin;
    std::unique_ptr<Ravlinsam> double_;
    QTimer answerer;
    std::deque<QString> tiles;
    std::deque<bool> answers;
    std::vector<std::string> chosen;
    std::vector<std::string> seen;
};

TEST_F(PultraDesk, CardLoginChangeOfStartAndARefusedWithdrawal) {
    // Runner 2 of the double's sample race: entered, in a category with a vacant slot.
    const SISam_Typ::TZavodnik ja = *SISam_Proc::Zavodnik(2);
    ASSERT_GT(ja.SI, 0);
    QTimer::singleShot(300, [this, &ja] { sim.Send("insert si10 " + std::to_string(ja.SI)); });
    form->LoginClick();
    sim.Send("remove");
    ASSERT_EQ(SISam_Typ::Prihlaseni.ID, ja.ID) << form->StateText();
    EXPECT_EQ(form->Tlacitko(TagLogin)->text(), "LOGOUT");

    form->Tlacitko(TagPrezentace)->click();
    ASSERT_TRUE(form->Tlacitko(TagZmenaCasu)->isVisible()) << form->StateText();

    // Change start: own entry, the first vacant start offered, then the message.
    tiles = {"Změnit můj startovní čas", "="};
    form->Tlacitko(TagZmenaCasu)->click();
    ASSERT_EQ(chosen.size(), 2u) << form->StateText();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_THAT(seen[0], HasSubstr("Startovní čas byl úspěšně změněn"));
    const SISam_Typ::TZavodnik* po = SISam_Proc::Zavodnik(ja.ID);
    ASSERT_NE(po, nullptr);
    EXPECT_NE(po->Start, ja.Start);
    const std::string novy = Prezentace::StartText(po->Start, SI_Typ::Start00);
    EXPECT_THAT(chosen[1], HasSubstr(novy.substr(0, 3)));
    EXPECT_THAT(Protokol(), HasSubstr("Změna startu;ID=" + std::to_string(ja.ID)));

    // The new start in the runner's start list.
    tiles = {QString::fromStdString(ja.Kategorie)};
    form->Tlacitko(TagStartovky)->click();
    ASSERT_TRUE(form->Grid()->isVisible()) << form->StateText();
    char start[32];
    std::snprintf(start, sizeof start, "|%.2f|", po->Start);
    EXPECT_THAT(form->StateText(), HasSubstr("zvyraznenyRadek=" + std::to_string(ja.ID) + "|"));
    EXPECT_THAT(form->StateText(), HasSubstr(start));

    // The double now refuses every change: the withdrawal shows its ERR= text.
    double_.reset();
    double_ =
        std::make_unique<Ravlinsam>(ravlin, tmp.Path() / "ravlinsam.log", "Prezentace je uzavřena");
    form->Tlacitko(TagPrezentace)->click();
    seen.clear();
    tiles = {QString::fromStdString(ja.Jmeno + " (" + ja.Kategorie + ")")};
    answers = {true, true};
    form->Tlacitko(TagOdhlaseni)->click();
    ASSERT_EQ(seen.size(), 2u) << ::testing::PrintToString(seen);
    EXPECT_THAT(seen[0], HasSubstr("Opravdu ODHLÁSIT závodníka ?"));
    EXPECT_THAT(seen[1], HasSubstr("nelze odhlásit !!"));
    EXPECT_THAT(seen[1], HasSubstr("Prezentace je uzavřena"));
    EXPECT_EQ(SISam_Proc::Zavodnik(ja.ID)->Jmeno, ja.Jmeno);
    EXPECT_THAT(Protokol(), HasSubstr(";Log IN\r\n"));
}

} // namespace

#endif
