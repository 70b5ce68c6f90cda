// Test main for logic tests: a QCoreApplication for the event loop, the network guard switched on
// (only loopback may be reached), and a private registry folder.
#include "support/test_environment.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    kestovan::test::TestEnvironment environment;
    return RUN_ALL_TESTS();
}
