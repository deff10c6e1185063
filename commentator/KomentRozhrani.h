#pragma once

#include <cstdint>
#include <string>

// What punch processing tells the main form. The form implements these; tests record them.
namespace Mezicasy {

class TKateg1;

class IStavovyRadek {
public:
    virtual ~IStavovyRadek() = default;
    // The status-line message of punch processing (the last split stored, an unknown chip, an
    // unreadable time).
    virtual void ZpravaZpracovani(const std::string& text) = 0;
    // The timed message (a file that could not be written).
    virtual void NastavZpravu(const std::string& text) = 0;
};

class IMrizkaUdalosti {
public:
    virtual ~IMrizkaUdalosti() = default;
    // A split was deleted: the grid cancels its rows of this chip and point.
    virtual void ZrusZaznamInfoAll(int32_t cip, int32_t bod) = 0;
};

class IZvuk {
public:
    virtual ~IZvuk() = default;
    // Plays pip.wav without waiting; silence when there is no sound device.
    virtual void Pipni() = 0;
};

class IKategIni {
public:
    virtual ~IKategIni() = default;
    // A category reads its window settings from Kateg.ini after a competitor load.
    virtual void NactiKategIni(TKateg1& k) = 0;
};

} // namespace Mezicasy

namespace InfoAll {

// The category windows: a click on the event grid opens the window of a category's point
// (0 = start list) and selects the chip's row in it.
class IVyberVOkne {
public:
    virtual ~IVyberVOkne() = default;
    virtual void VyberVOkne(const std::string& kategorie, const std::string& cip, int32_t bod) = 0;
};

} // namespace InfoAll
