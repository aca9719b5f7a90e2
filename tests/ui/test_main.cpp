#include <QApplication>

#include <gtest/gtest.h>

// gtest answers --gtest_list_tests (at build time, without a display) before any application
// object exists; the tests themselves run offscreen.
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
