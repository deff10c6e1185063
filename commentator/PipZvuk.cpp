#include "PipZvuk.h"

#include <filesystem>

#ifdef SI_HAVE_MULTIMEDIA
#include <QEventLoop>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#endif

TPipZvuk::TPipZvuk(const std::string& file) {
    std::error_code ec;
    maSoubor_ = std::filesystem::is_regular_file(file, ec);
#ifdef SI_HAVE_MULTIMEDIA
    if (maSoubor_) {
        effect_ = new QSoundEffect();
        effect_->setSource(QUrl::fromLocalFile(QString::fromStdString(file)));
        // The library decodes the sample in a thread of its own, and a program that ends while
        // it decodes hangs in the library's exit code: the short file is loaded here, at once.
        const auto loaded = [this] {
            const QSoundEffect::Status s = effect_->status();
            return s == QSoundEffect::Ready || s == QSoundEffect::Error;
        };
        if (!loaded()) {
            QEventLoop loop;
            QObject::connect(effect_, &QSoundEffect::statusChanged, &loop, [&] {
                if (loaded()) {
                    loop.quit();
                }
            });
            QTimer::singleShot(2000, &loop, &QEventLoop::quit);
            loop.exec();
        }
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
