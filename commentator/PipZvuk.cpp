#include "PipZvuk.h"

#include <filesystem>

#ifdef SI_HAVE_MULTIMEDIA
#include <QSoundEffect>
#include <QUrl>
#endif

TPipZvuk::TPipZvuk(const std::string& file) {
    std::error_code ec;
    maSoubor_ = std::filesystem::is_regular_file(file, ec);
#ifdef SI_HAVE_MULTIMEDIA
    if (maSoubor_) {
        effect_ = new QSoundEffect();
        effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
    }
#endif
}

TPipZvuk::~TPipZvuk() {
#ifdef SI_HAVE_MULTIMEDIA
    delete effect_;
#endif
}

void TPipZvuk::Pipni() {
#ifdef SI_HAVE_MULTIMEDIA
    if (effect_ != nullptr && effect_->status() == QSoundEffect::Ready) {
        effect_->play();
    }
#endif
}
