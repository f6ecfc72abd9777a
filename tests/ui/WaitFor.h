#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <ostream>

// Waits on the window thread until condition holds, serving events at once as
// they come: the worker waits for the window at every lamp and step change,
// and a wait that slept between rounds (as QTest::qWaitFor does) would hold
// the run up each time.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs = 20000)
{
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer wakeUp; // conditions that no event announces are looked at again
    wakeUp.start(5);
    while (!condition()) {
        if (elapsed.hasExpired(timeoutMs))
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// GoogleTest prints texts in its messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
