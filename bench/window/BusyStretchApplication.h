#pragma once

#include <QApplication>
#include <QElapsedTimer>

namespace orvex::bench {

// A QApplication that times the events its own thread handles, to tell how
// long an operator's key could have waited: the longest stretch the thread
// spent on events without a pause of kJoinedBelowNs between them. It learns
// that from the deliveries the window makes anyway; a probe timer would wake
// the thread a hundred times a second and count as the window's own cost.
class BusyStretchApplication : public QApplication {
public:
    static constexpr qint64 kJoinedBelowNs = 1'000'000;

    using QApplication::QApplication;

    // Starts measuring, from nothing.
    void startMeasuring();
    qint64 longestBusyStretchMs() const { return longestNs_ / 1'000'000; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QElapsedTimer clock_;
    int depth_ = 0;
    qint64 stretchStartNs_ = 0;
    qint64 lastEndNs_ = 0;
    qint64 longestNs_ = 0;
};

} // namespace orvex::bench
