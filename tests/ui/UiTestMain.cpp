#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

// The window tests need a QApplication; with no display they draw offscreen,
// which also lets the test list be read at build time.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
