#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

// One Cardvane per executable and user: the first start holds a lock file and listens on a
// local socket; a later start finds the lock, asks the first to come to the front and ends.
class TSingleInstance {
public:
    // Key of an executable for the user running it; also names the lock file and the socket.
    static QString KeyFor(const QString& executable);

    explicit TSingleInstance(const QString& key);
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // True: this process is the only one and now listens for later starts. False: another one
    // runs, and has been asked to come to the front.
    bool Claim();

    // Run (from the event loop) when a later start asks for the window.
    std::function<void()> onRaise;

private:
    bool TellRunning();

    QString key_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};
