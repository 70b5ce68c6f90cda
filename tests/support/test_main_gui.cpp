// Test main for widget tests: like the logic tests' main, with a QApplication (offscreen by default).
#include "support/test_environment.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    kestovan::test::TestEnvironment environment;
    return RUN_ALL_TESTS();
}
