#include <QApplication>

#include <gtest/gtest.h>

// The controls' tests draw offscreen with a fixed set of fonts, whatever display and fonts the
// machine has.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("FONTCONFIG_FILE", SELFSERVICE_FONTCONFIG);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
