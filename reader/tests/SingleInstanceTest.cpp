// The single-instance rule inside one process: two claims on one key.

#include "SingleInstance.h"
#include "CardvaneProgram.h"

#include <QDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <sys/time.h>

using cardvanetest::EnsureQtApp;
using cardvanetest::Eventually;

TEST(SingleInstanceTest, LaterClaimRaisesTheFirstUntilItEnds) {
    EnsureQtApp();
    const QString key = "cardvane-test-" + QUuid::createUuid().toString(QUuid::Id128);
    int raised = 0;
    {
        TSingleInstance first(key);
        first.onRaise = [&] { ++raised; };
        ASSERT_TRUE(first.Claim());

        // A reader runs all day: a lock file hours old still holds while its process lives.
        const QByteArray lock = QDir(QDir::tempPath()).filePath(key + ".lock").toLocal8Bit();
        const timeval old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ASSERT_EQ(::utimes(lock.constData(), old), 0);

        TSingleInstance second(key);
        EXPECT_FALSE(second.Claim());
        EXPECT_TRUE(Eventually([&] {
            QCoreApplication::processEvents();
            return raised == 1;
        }));
    }
    // The first ended: the next start runs.
    TSingleInstance next(key);
    EXPECT_TRUE(next.Claim());
    EXPECT_EQ(raised, 1);
}
