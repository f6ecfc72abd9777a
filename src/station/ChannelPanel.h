#pragma once

#include "station/ChannelState.h"
#include "ui/CachedGroupBox.h"

#include <optional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace orvex::station {

class StatusLine;

// One channel in the window's grid: its port and adapter, its lamp, the
// step under way, the progress bar, the serial number being written, the
// last result line, its counts and its start button. Its controls carry
// object names, so tests and screen readers find them.
class ChannelPanel : public ui::CachedGroupBox {
    Q_OBJECT

public:
    // number: 1 for the first channel; its key starts it.
    ChannelPanel(int number, const std::string& port, const std::optional<std::string>& adapterSerial,
                 QWidget* parent = nullptr);

    QPushButton& startButton() const { return *startButton_; }
    // Draws what changed since the last state shown.
    void show(const ChannelState& state);
    // Whether the window lets channels start at all: a job is open and the
    // window is not closing.
    void setStartAllowed(bool allowed);

private:
    QWidget* makeLiveArea();
    void showLamp(LampState lamp);
    void enableStart();

    QLabel* lamp_;
    QLabel* portLine_;
    StatusLine* stepLine_;
    QProgressBar* progress_;
    QLabel* serial_;
    QLabel* result_;
    QLabel* counts_;
    QPushButton* startButton_;
    std::optional<LampState> lampShown_;
    std::uint64_t versionShown_ = 0;
    bool running_ = false;
    bool startAllowed_ = false;
};

} // namespace orvex::station
