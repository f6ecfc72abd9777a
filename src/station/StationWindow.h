#pragma once

#include "link/SerialPort.h"
#include "records/RecordKeeping.h"
#include "station/ChannelPanel.h"
#include "station/StationChannel.h"
#include "station/StationJob.h"
#include "station/Yield.h"

#include <QMainWindow>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QGridLayout;
class QLabel;
class QPushButton;

namespace orvex::station {

// The window of a line: the job at the top, large, as the engineer wrote
// it; one channel per port of the job in a grid, each started on its own
// (its button or its key, 1 to 9) or all at once (Enter); the yield of the
// shift and of the day at the bottom. The operator cannot change the job
// here. Closing while channels run closes once they have ended.
class StationWindow : public QMainWindow {
    Q_OBJECT

public:
    StationWindow();
    ~StationWindow() override;

    // Opens the job unless a channel is running; the reason when it cannot,
    // which the window shows as well.
    std::optional<std::string> openJob(const std::string& path);
    // The job given on the command line, else the one remembered.
    void openFirstJob(const std::optional<std::string>& path);

    void startChannel(std::size_t index);
    // Starts every idle channel, one per turn of the event loop; until then
    // they count as running.
    void startAll();
    bool anyRunning() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildWindow();
    void buildMenu();
    void buildShortcuts();
    void keepRecords();
    void showJob();
    void makeChannels();
    void dropChannels();
    void showMessage(const std::string& text);
    bool firmwareStillTheJobs();
    void startNextQueued();
    void refresh();
    // Whether the channel's runs ended since it was last shown.
    bool countEndedRuns(std::size_t index, const ChannelState& state);
    void showYield();
    void chooseJob();

    PortDeviceMap configuredPorts_;
    std::unique_ptr<RecordKeeping> records_;
    std::optional<StationJob> job_;
    std::vector<std::unique_ptr<StationChannel>> channels_;
    std::vector<ChannelPanel*> panels_;
    std::vector<ChannelState> shownStates_;
    std::deque<StationChannel*> queuedStarts_; // by start all, not yet started

    QLabel* jobName_ = nullptr;
    QLabel* jobSteps_ = nullptr;
    QLabel* jobFirmware_ = nullptr;
    QLabel* message_ = nullptr;
    QWidget* grid_ = nullptr;
    QGridLayout* gridLayout_ = nullptr;
    QLabel* shiftYield_ = nullptr;
    QLabel* todayYield_ = nullptr;
    QPushButton* startAllButton_ = nullptr;
    QAction* openAction_ = nullptr;
    QTimer refreshTimer_;

    Yield shift_;
    bool closing_ = false;
};

} // namespace orvex::station
