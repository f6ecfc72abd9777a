#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QtMessageHandler qtDefaultHandler = nullptr;

// The offscreen platform cannot pass a window's size hints on and says so each
// time a window is shown, thousands of times in a run; every other message
// still goes out.
void dropOffscreenSizeHintNotice(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    qtDefaultHandler(type, context, message);
}

} // namespace

// The window tests need a QApplication; with no display they draw offscreen,
// which also lets the test list be read at build time.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtDefaultHandler = qInstallMessageHandler(dropOffscreenSizeHintNotice);
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
