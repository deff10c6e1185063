#pragma once

#include "KomentRozhrani.h"

#include <memory>
#include <string>

class QSoundEffect;

// The place sound: pip.wav beside the program, loaded once. Without the file, without an audio
// device or without the multimedia library the commentator stays silent.
class TPipZvuk : public Mezicasy::IZvuk {
public:
    explicit TPipZvuk(const std::string& file);
    ~TPipZvuk() override;
    void Pipni() override;
    // The file was found (whether a device plays it is the system's affair).
    bool MaSoubor() const { return maSoubor_; }

private:
    bool maSoubor_ = false;
    QSoundEffect* effect_ = nullptr;
};
