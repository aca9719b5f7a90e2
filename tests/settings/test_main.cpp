#include <QCoreApplication>

#include <gtest/gtest.h>

// gtest answers --gtest_list_tests before the application object exists.
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv); // QProcess runs the probe
    return RUN_ALL_TESTS();
}
