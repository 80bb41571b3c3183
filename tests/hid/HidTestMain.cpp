#include <gtest/gtest.h>

#include <QCoreApplication>

// The reader threads hand their reports to the thread that runs the Qt event
// loop, so the tests run with a core application.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
