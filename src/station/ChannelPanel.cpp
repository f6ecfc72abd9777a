#include "station/ChannelPanel.h"

#include "station/StationText.h"
#include "station/StatusLine.h"
#include "ui/Icons.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvex::station {

namespace {

constexpr int kLampSize = 40;
constexpr OperatorText kTitle = ORVEX_TEXT("ChannelPanel", "%1: %2");
constexpr OperatorText kAdapter = ORVEX_TEXT("ChannelPanel", "Adapter: %1");
constexpr OperatorText kNoAdapter = ORVEX_TEXT("ChannelPanel", "Adapter: —");
constexpr OperatorText kPortOpen = ORVEX_TEXT("ChannelPanel", "Port otwarty");
constexpr OperatorText kPortClosed = ORVEX_TEXT("ChannelPanel", "Port zamknięty");
constexpr OperatorText kPortProblem = ORVEX_TEXT("ChannelPanel", "Port zamknięty: %1");
constexpr OperatorText kSerial = ORVEX_TEXT("ChannelPanel", "Numer seryjny: %1");
constexpr OperatorText kNoSerial = ORVEX_TEXT("ChannelPanel", "Numer seryjny: —");
constexpr OperatorText kCounts = ORVEX_TEXT("ChannelPanel", "Dobre: %1   Złe: %2");
constexpr OperatorText kStart = ORVEX_TEXT("ChannelPanel", "Start (%1)");
constexpr OperatorText kIdle = ORVEX_TEXT("ChannelPanel", "Gotowy...");

QLabel* addLabel(QGridLayout& layout, const char* name, int row, int column, int columnSpan = 1)
{
    auto* label = new QLabel;
    label->setObjectName(name);
    layout.addWidget(label, row, column, 1, columnSpan);
    return label;
}

QString portLineOf(const ChannelState& state)
{
    if (state.portOpen)
        return text(kPortOpen);
    if (state.portProblem.empty())
        return text(kPortClosed);
    return text(fillText(kPortProblem, state.portProblem));
}

} // namespace

ChannelPanel::ChannelPanel(int number, const std::string& port, const std::optional<std::string>& adapterSerial,
                           QWidget* parent)
    : ui::CachedGroupBox(text(fillText(kTitle, std::to_string(number), port)), parent)
{
    setObjectName(QStringLiteral("channel%1").arg(number));
    auto* layout = new QGridLayout(this);
    lamp_ = addLabel(*layout, "lamp", 0, 0);
    lamp_->setFixedSize(kLampSize, kLampSize);
    QLabel* adapter = addLabel(*layout, "adapter", 0, 1);
    adapter->setText(adapterSerial ? text(fillText(kAdapter, *adapterSerial)) : text(kNoAdapter));
    portLine_ = addLabel(*layout, "portLine", 1, 0, 2);
    layout->addWidget(makeLiveArea(), 2, 0, 1, 2);
    serial_ = addLabel(*layout, "serial", 3, 0, 2);
    result_ = addLabel(*layout, "result", 4, 0, 2);
    result_->setWordWrap(true);
    // The texts an operator may want to copy into a report; a selectable
    // label lays its text out as a whole document, so not those that change
    // with every block.
    for (QLabel* label : {portLine_, result_})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    result_->setMinimumHeight(2 * result_->fontMetrics().height());
    counts_ = addLabel(*layout, "counts", 5, 0, 2);
    startButton_ = new QPushButton(text(fillText(kStart, std::to_string(number))));
    startButton_->setObjectName("startButton");
    layout->addWidget(startButton_, 6, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    show(ChannelState{});
}

// The step line and the progress bar, which change with every block, on a
// background of their own: their repaints stop there instead of drawing the
// whole group box, frame and title, ten times a second.
QWidget* ChannelPanel::makeLiveArea()
{
    auto* area = new QWidget;
    area->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    stepLine_ = new StatusLine;
    stepLine_->setObjectName("stepLine");
    stepLine_->setText(text(kIdle));
    layout->addWidget(stepLine_);
    progress_ = new QProgressBar;
    progress_->setObjectName("progress");
    layout->addWidget(progress_);
    return area;
}

void ChannelPanel::show(const ChannelState& state)
{
    if (state.version == versionShown_ && lampShown_)
        return;
    versionShown_ = state.version;
    showLamp(state.lamp);
    portLine_->setText(portLineOf(state));
    if (!state.stepLine.empty())
        stepLine_->setText(text(state.stepLine));
    progress_->setRange(0, std::max(state.progressTotal, 1));
    progress_->setValue(state.progressDone);
    serial_->setText(state.serial ? text(fillText(kSerial, std::to_string(*state.serial))) : text(kNoSerial));
    result_->setText(text(state.result));
    counts_->setText(text(fillText(kCounts, std::to_string(state.passed), std::to_string(state.failed))));
    running_ = state.running;
    enableStart();
}

void ChannelPanel::setStartAllowed(bool allowed)
{
    startAllowed_ = allowed;
    enableStart();
}

void ChannelPanel::enableStart()
{
    startButton_->setEnabled(startAllowed_ && !running_);
}

void ChannelPanel::showLamp(LampState lamp)
{
    if (lampShown_ == lamp)
        return;
    lampShown_ = lamp;
    lamp_->setPixmap(ui::lampPixmap(lamp, kLampSize));
}

} // namespace orvex::station
