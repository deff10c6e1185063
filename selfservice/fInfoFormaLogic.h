#pragma once

#include <functional>
#include <string>

// The information form's model: a message with OK, a question with OK and NO, or a wait that
// ends on the answer flag or after its seconds, ticking every 200 ms.
namespace InfoForma {

class TInfoFormaModel {
public:
    // seconds 0 = message; otherwise a wait of seconds x 5 ticks.
    void Nastav(const std::string& radek1, const std::string& radek2, bool ne, int sekundy);
    // One 200 ms tick with the answer flag (0 none, 1 accepted, 2 refused, 4 answered without
    // the change); any answer closes the form with the flag as its result. True when it closes.
    bool Tick(int odpoved);
    void Ok() { vysledek_ = 1; }
    void Ne() { vysledek_ = 2; }

    const std::string& Radek1() const { return radek1_; }
    const std::string& Radek2() const { return radek2_; }
    bool Cekani() const { return sekundy_ > 0; }
    bool NeViditelne() const { return ne_ && !Cekani(); }
    // The second line of a wait shows after a tenth of its time; a message shows it at once.
    bool Radek2Viditelny() const { return !Cekani() || radek2Viditelny_; }
    int Pozice() const { return pozice_; }
    int Maximum() const { return sekundy_ * 5; }
    // 0 none, 1 OK or accepted, 2 NO or refused, 3 time-out, 4 answered without the change.
    int Vysledek() const { return vysledek_; }

private:
    std::string radek1_;
    std::string radek2_;
    bool ne_ = false;
    int sekundy_ = 0;
    int pozice_ = 0;
    bool radek2Viditelny_ = false;
    int vysledek_ = 0;
};

// Form width: the wider line plus its margins, at least three quarters of the screen.
int SirkaFormy(int sirkaRadku1, int sirkaRadku2, int levyOkraj, int sirkaObrazovky);

} // namespace InfoForma
