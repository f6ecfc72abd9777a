#pragma once

#include <QApplication>
#include <QElapsedTimer>

namespace orvex::bench {

// The application of a window benchmark, which measures one run: its wall
// time, the processor time all of the process's threads spent meanwhile (the
// units are processes of their own), and how long an operator's key
// could have waited, as the longest stretch the window's thread spent on
// events without a pause of kJoinedBelowNs between them. That last figure
// comes from the deliveries the window makes anyway; a probe timer would
// wake the thread a hundred times a second and count as the window's cost.
class MeasuredRunApplication : public QApplication {
public:
    static constexpr qint64 kJoinedBelowNs = 1'000'000;

    using QApplication::QApplication;

    void startRun();
    // The first call ends the run and leaves the event loop; later ones do
    // nothing.
    void endRun();

    double runSeconds() const { return runSeconds_; }
    double processorSeconds() const { return processorSeconds_; }
    qint64 longestBusyStretchMs() const { return longestNs_ / 1'000'000; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    bool running_ = false;
    double processorAtStart_ = 0;
    double runSeconds_ = 0;
    double processorSeconds_ = 0;

    QElapsedTimer clock_;
    int depth_ = 0;
    qint64 stretchStartNs_ = 0;
    qint64 lastEndNs_ = 0;
    qint64 longestNs_ = 0;
};

} // namespace orvex::bench
