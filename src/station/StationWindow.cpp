#include "station/StationWindow.h"

#include "settings/ProcedureSettings.h"
#include "settings/SettingsPaths.h"
#include "station/LastJob.h"
#include "station/StationText.h"
#include "ui/Icons.h"
#include "ui/PathParts.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orvex::station {

namespace {

// Often enough that a progress bar moves smoothly, seldom enough to cost
// nothing: each tick copies a few small states and draws what changed.
constexpr int kRefreshIntervalMs = 100;
constexpr int kMaxChannelKeys = 9;

constexpr OperatorText kCaption = ORVEX_TEXT("StationWindow", "Stanowisko Orvex — programowanie SDA5555FL");
constexpr OperatorText kNoJob = ORVEX_TEXT("StationWindow", "Brak zadania");
constexpr OperatorText kNoJobHint = ORVEX_TEXT("StationWindow", "Otwórz zadanie: Zadanie → Otwórz zadanie... (Ctrl+O)");
constexpr OperatorText kFirmware = ORVEX_TEXT("StationWindow", "Firmware: %1   SHA-256: %2");
constexpr OperatorText kNoFirmware =
    ORVEX_TEXT("StationWindow", "Firmware: — (zadanie nie programuje ani nie weryfikuje)");
constexpr OperatorText kStartAll = ORVEX_TEXT("StationWindow", "Start wszystkich (Enter)");
constexpr OperatorText kJobMenu = ORVEX_TEXT("StationWindow", "&Zadanie");
constexpr OperatorText kOpenJob = ORVEX_TEXT("StationWindow", "&Otwórz zadanie...");
constexpr OperatorText kQuit = ORVEX_TEXT("StationWindow", "Za&kończ");
constexpr OperatorText kOpenJobCaption = ORVEX_TEXT("StationWindow", "Otwórz zadanie");
constexpr OperatorText kJobFilter = ORVEX_TEXT("StationWindow", "Zadania (*.job);;Wszystkie pliki (*)");
constexpr OperatorText kJobBusy = ORVEX_TEXT("StationWindow", "Nie można zmienić zadania, gdy kanały pracują.");
constexpr OperatorText kJobNotRemembered = ORVEX_TEXT("StationWindow", "Nie zapamiętano zadania na następny raz: %1");
constexpr OperatorText kClosingWhenDone =
    ORVEX_TEXT("StationWindow", "Okno zamknie się, gdy wszystkie kanały skończą pracę.");
constexpr OperatorText kRecordsUnusable = ORVEX_TEXT("StationWindow", "Zapisy przebiegów są wyłączone: %1");
constexpr OperatorText kShift = ORVEX_TEXT("StationWindow", "Zmiana");
constexpr OperatorText kToday = ORVEX_TEXT("StationWindow", "Dziś");
constexpr OperatorText kTodayUnknown = ORVEX_TEXT("StationWindow", "Dziś: brak danych z bazy zapisów");

QLabel* largeLabel(const char* name, double scale, bool bold)
{
    auto* label = new QLabel;
    label->setObjectName(name);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// Square-ish: 2 by 2 for four channels, 3 by 3 for nine.
int gridColumns(std::size_t channels)
{
    return std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(channels)))));
}

} // namespace

StationWindow::StationWindow()
{
    setWindowTitle(text(kCaption));
    setWindowIcon(ui::programIcon());
    configuredPorts_ = readPortDevices(configFilePath());
    buildWindow();
    buildMenu();
    buildShortcuts();
    keepRecords();
    showJob();
    showYield();
    connect(&refreshTimer_, &QTimer::timeout, this, &StationWindow::refresh);
    refreshTimer_.start(kRefreshIntervalMs);
}

StationWindow::~StationWindow()
{
    dropChannels();
}

void StationWindow::buildWindow()
{
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* header = new QFrame;
    header->setFrameShape(QFrame::StyledPanel);
    auto* headerLayout = new QVBoxLayout(header);
    jobName_ = largeLabel("jobName", 2.0, true);
    jobSteps_ = largeLabel("jobSteps", 1.4, false);
    jobFirmware_ = largeLabel("jobFirmware", 1.4, false);
    for (QLabel* label : {jobName_, jobSteps_, jobFirmware_})
        headerLayout->addWidget(label);
    layout->addWidget(header);

    message_ = new QLabel;
    message_->setObjectName("stationMessage");
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    layout->addWidget(message_);

    grid_ = new QWidget;
    gridLayout_ = new QGridLayout(grid_);
    gridLayout_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_, 1);

    auto* footer = new QHBoxLayout;
    auto* yields = new QVBoxLayout;
    shiftYield_ = largeLabel("shiftYield", 1.2, false);
    todayYield_ = largeLabel("todayYield", 1.2, false);
    yields->addWidget(shiftYield_);
    yields->addWidget(todayYield_);
    footer->addLayout(yields, 1);
    startAllButton_ = new QPushButton(text(kStartAll));
    startAllButton_->setObjectName("startAllButton");
    startAllButton_->setDefault(true);
    startAllButton_->setMinimumHeight(2 * startAllButton_->sizeHint().height());
    connect(startAllButton_, &QPushButton::clicked, this, &StationWindow::startAll);
    footer->addWidget(startAllButton_);
    layout->addLayout(footer);
    setCentralWidget(central);
}

void StationWindow::buildMenu()
{
    QMenu* menu = menuBar()->addMenu(text(kJobMenu));
    openAction_ = menu->addAction(text(kOpenJob), QKeySequence::Open, this, &StationWindow::chooseJob);
    openAction_->setObjectName("openAction");
    menu->addSeparator();
    menu->addAction(text(kQuit), QKeySequence::Quit, this, &QWidget::close);
}

// Enter starts every idle channel wherever the focus is; 1 to 9 start one.
void StationWindow::buildShortcuts()
{
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &StationWindow::startAll);
    for (int number = 1; number <= kMaxChannelKeys; ++number)
        connect(new QShortcut(QKeySequence(Qt::Key_0 + number), this), &QShortcut::activated, this,
                [this, number] { startChannel(static_cast<std::size_t>(number - 1)); });
}

void StationWindow::keepRecords()
{
    auto chosen = chosenRecordsTarget(std::nullopt);
    RecordsTarget target;
    if (const auto* reason = std::get_if<std::string>(&chosen))
        showMessage(fillText(kRecordsUnusable, *reason));
    else
        target = std::get<RecordsTarget>(chosen);
    records_ = std::make_unique<RecordKeeping>(target, "orvex-station", ORVEX_VERSION);
    if (records_->enabled())
        records_->startBackgroundForwarding();
}

void StationWindow::openFirstJob(const std::optional<std::string>& path)
{
    if (const std::optional<std::string> job = path ? path : rememberedJob())
        openJob(*job);
}

std::optional<std::string> StationWindow::openJob(const std::string& path)
{
    if (anyRunning()) {
        showMessage(translated(kJobBusy));
        return translated(kJobBusy);
    }
    auto loaded = loadStationJob(path, records_->enabled());
    if (const auto* reason = std::get_if<std::string>(&loaded)) {
        showMessage(*reason);
        return *reason;
    }
    dropChannels();
    job_ = std::get<StationJob>(std::move(loaded));
    showMessage({});
    showJob();
    makeChannels();
    showYield();
    if (const auto failure = rememberJob(path))
        showMessage(fillText(kJobNotRemembered, *failure));
    return std::nullopt;
}

void StationWindow::chooseJob()
{
    const QString chosen = QFileDialog::getOpenFileName(this, text(kOpenJobCaption), {}, text(kJobFilter));
    if (!chosen.isEmpty())
        openJob(chosen.toStdString());
}

void StationWindow::showJob()
{
    if (!job_) {
        jobName_->setText(text(kNoJob));
        jobSteps_->setText(text(kNoJobHint));
        jobFirmware_->clear();
        return;
    }
    const Job& job = job_->job;
    jobName_->setText(text(job.name));
    jobSteps_->setText(text(stepsText(job.stepSet)));
    jobFirmware_->setText(job_->image ? text(fillText(kFirmware, ui::fileNameOf(job.firmwarePath),
                                                      job_->image->file.sha256.substr(0, 12)))
                                      : text(kNoFirmware));
}

void StationWindow::makeChannels()
{
    const std::vector<std::string>& ports = job_->job.ports;
    const int columns = gridColumns(ports.size());
    for (std::size_t index = 0; index < ports.size(); ++index) {
        auto channel = std::make_unique<StationChannel>(ports[index], configuredPorts_,
                                                        records_->enabled() ? records_->newRecorder() : nullptr);
        auto* panel = new ChannelPanel(static_cast<int>(index) + 1, ports[index], channel->adapterSerial(), grid_);
        connect(&panel->startButton(), &QPushButton::clicked, this, [this, index] { startChannel(index); });
        const int slot = static_cast<int>(index);
        gridLayout_->addWidget(panel, slot / columns, slot % columns);
        channel->start();
        channels_.push_back(std::move(channel));
        panels_.push_back(panel);
        shownStates_.emplace_back();
    }
    refresh();
}

void StationWindow::dropChannels()
{
    queuedStarts_.clear();
    for (auto& channel : channels_)
        channel->stop();
    channels_.clear();
    for (ChannelPanel* panel : panels_)
        delete panel;
    panels_.clear();
    shownStates_.clear();
}

void StationWindow::showMessage(const std::string& message)
{
    message_->setText(text(message));
    message_->setVisible(!message.empty());
}

bool StationWindow::firmwareStillTheJobs()
{
    const std::optional<std::string> changed = firmwareChangedOnDisk(*job_);
    if (changed)
        showMessage(*changed);
    return !changed;
}

void StationWindow::startChannel(std::size_t index)
{
    if (!job_ || closing_ || index >= channels_.size() || channels_[index]->running())
        return;
    if (!firmwareStillTheJobs())
        return;
    std::erase(queuedStarts_, channels_[index].get());
    channels_[index]->startRun(*job_, *records_);
    refresh();
}

// One channel per turn of the event loop: each may take a serial number
// from the records database, and the window stays responsive meanwhile.
void StationWindow::startAll()
{
    if (!job_ || closing_ || !firmwareStillTheJobs())
        return;
    showMessage({});
    const bool alreadyStarting = !queuedStarts_.empty();
    for (auto& channel : channels_) {
        const bool queued = std::ranges::find(queuedStarts_, channel.get()) != queuedStarts_.end();
        if (!channel->running() && !queued)
            queuedStarts_.push_back(channel.get());
    }
    if (!alreadyStarting)
        QTimer::singleShot(0, this, &StationWindow::startNextQueued);
}

void StationWindow::startNextQueued()
{
    if (queuedStarts_.empty())
        return;
    StationChannel* next = queuedStarts_.front();
    queuedStarts_.pop_front();
    if (!next->running())
        next->startRun(*job_, *records_);
    if (!queuedStarts_.empty())
        QTimer::singleShot(0, this, &StationWindow::startNextQueued);
    refresh();
}

bool StationWindow::anyRunning() const
{
    return !queuedStarts_.empty()
           || std::any_of(channels_.begin(), channels_.end(), [](const auto& channel) { return channel->running(); });
}

void StationWindow::refresh()
{
    bool idleChannel = false;
    bool runsEnded = false;
    for (std::size_t index = 0; index < channels_.size(); ++index) {
        const ChannelState state = channels_[index]->state();
        idleChannel = idleChannel || !state.running;
        if (state.version == shownStates_[index].version)
            continue;
        panels_[index]->show(state);
        runsEnded = countEndedRuns(index, state) || runsEnded;
        shownStates_[index] = state;
    }
    // Once for all the channels that ended since the last look: today's
    // yield is a query of the records.
    if (runsEnded)
        showYield();
    const bool mayStart = job_ && !closing_;
    for (ChannelPanel* panel : panels_)
        panel->setStartAllowed(mayStart);
    startAllButton_->setEnabled(mayStart && idleChannel);
    openAction_->setEnabled(!closing_ && !anyRunning());
    if (closing_ && !anyRunning())
        close();
}

bool StationWindow::countEndedRuns(std::size_t index, const ChannelState& state)
{
    const ChannelState& before = shownStates_[index];
    if (state.passed == before.passed && state.failed == before.failed)
        return false;
    shift_.passed += state.passed - before.passed;
    shift_.failed += state.failed - before.failed;
    return true;
}

void StationWindow::showYield()
{
    shiftYield_->setText(text(yieldLine(translated(kShift), shift_)));
    const std::optional<Yield> today = job_ ? todaysYield(*records_, job_->job.name) : std::nullopt;
    todayYield_->setText(today ? text(yieldLine(translated(kToday), *today)) : text(kTodayUnknown));
}

void StationWindow::closeEvent(QCloseEvent* event)
{
    // Channels not started yet stay idle: the operator is leaving.
    queuedStarts_.clear();
    if (anyRunning()) {
        closing_ = true;
        showMessage(translated(kClosingWhenDone));
        refresh();
        event->ignore();
        return;
    }
    refreshTimer_.stop();
    event->accept();
}

} // namespace orvex::station
