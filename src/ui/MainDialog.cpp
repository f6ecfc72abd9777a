#include "ui/MainDialog.h"

#include "engine/ImageSnapshot.h"
#include "lang/UiText.h"
#include "link/AdapterSerial.h"
#include "settings/SettingsPaths.h"
#include "ui/ControlBuilder.h"
#include "ui/Icons.h"
#include "ui/OperatorDialogs.h"
#include "ui/RecentFilesCombo.h"
#include "ui/RunPreflight.h"
#include "ui/StepToggle.h"
#ifdef _WIN32
#include "ui/SystemMenu.h"
#endif

#include <QButtonGroup>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace orvex::ui {

using lang::uiText;

namespace {

constexpr OperatorText kReloadedLine = ORVEX_TEXT("MainDialog", "Plik załadowany");
constexpr OperatorText kReloadFailedLine = ORVEX_TEXT("MainDialog", "Blad przeladowania pliku!!!");
// Added to the caption while a close waits for the run's end.
constexpr OperatorText kClosingAfterRun = ORVEX_TEXT("MainDialog", "— okno zamknie się po zakończeniu procedury");
// Said with the reason, after the run whose record was lost.
constexpr OperatorText kRecordLostMessage = ORVEX_TEXT("MainDialog", "Nie zapisano przebiegu w bazie: ");
constexpr OperatorText kSaveFailed = ORVEX_TEXT("MainDialog", "Nie można zapisać pliku %1:\n%2");
constexpr OperatorText kPortOpen = ORVEX_TEXT("MainDialog", "otwarty");
constexpr OperatorText kPortNotOpen = ORVEX_TEXT("MainDialog", "nie otwarty");

// Indexed by the COM index.
constexpr std::array kComButtons{"comButton1", "comButton2", "comButton3", "comButton4"};

// What a run must not have changed under it: the file panel's buttons and
// list, the toggles, the execute button and the COM choice.
constexpr std::array kRunLockedControls{
    "openButton",       "reloadButton",      "stepToggleReload", "stepToggleDetect", "stepToggleErase",
    "stepToggleTestFF", "stepToggleProgram", "stepToggleVerify", "stepToggleRead",   "executeButton",
    "comButton1",       "comButton2",        "comButton3",       "comButton4",       "recentCombo",
};

QWidget* buildClientArea(QWidget& dialog)
{
    auto* area = new QWidget(&dialog);
    area->setObjectName(QStringLiteral("clientArea"));
    const DialogUnits units(dialog.font());
    buildControls(*area, kMainDialogControls, units);
    area->setFixedSize(units.toPixels(kMainDialogSize));
    return area;
}

FilePanel::Controls filePanelControls(const QWidget& area)
{
    return {controlNamed<RecentFilesCombo>(area, "recentCombo"), controlNamed<QLabel>(area, "pathText"),
            controlNamed<QLabel>(area, "fileTimeText"), controlNamed<QLabel>(area, "fileSizeText")};
}

void showLamp(QLabel& lamp, LampState state)
{
    lamp.setPixmap(lampPixmap(state, std::min(lamp.width(), lamp.height())));
}

} // namespace

MainDialog::MainDialog(OperatorDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), clientArea_(buildClientArea(*this)), controls_(findControls(*clientArea_)),
      steps_(*clientArea_), menu_(buildMainMenu(*this)), comButtons_(new QButtonGroup(this)),
      filePanel_(filePanelControls(*clientArea_), *this, dialogs)
{
    buildWindow();
    connectHandlers();
    startUp();
}

MainDialog::~MainDialog()
{
    shutDown();
}

MainDialog::Controls MainDialog::findControls(const QWidget& clientArea)
{
    Controls controls;
    controls.mainStatus = &controlNamed<QLabel>(clientArea, "mainStatusText");
    controls.progress = &controlNamed<QProgressBar>(clientArea, "progressBar");
    controls.runLamp = &controlNamed<QLabel>(clientArea, "runLamp");
    controls.portLamp = &controlNamed<QLabel>(clientArea, "portLamp");
    return controls;
}

void MainDialog::buildWindow()
{
    setObjectName(QStringLiteral("mainDialog"));
    setWindowTitle(templateText(kMainDialogCaption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The menu bar sits above the client area, as on the template's platform.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menu_.bar);
    layout->addWidget(clientArea_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (int index = 0; index < static_cast<int>(kComButtons.size()); ++index)
        comButtons_->addButton(&controlNamed<QRadioButton>(*clientArea_, kComButtons[static_cast<std::size_t>(index)]),
                               index);
#ifdef _WIN32
    appendAboutItem(*this);
#endif
}

void MainDialog::connectHandlers()
{
    auto& execute = controlNamed<QPushButton>(*clientArea_, "executeButton");
    connect(&execute, &QPushButton::clicked, this, &MainDialog::onExecute);
    connect(&controlNamed<QPushButton>(*clientArea_, "closeButton"), &QPushButton::clicked, this, &QDialog::accept);
    for (const ProcedureStep step : StepPanel::kSteps)
        connect(&steps_.toggle(step), &StepToggle::clicked, this, &MainDialog::onStepToggle);
    connect(comButtons_, &QButtonGroup::idClicked, this, &MainDialog::onComSelect);

    connect(&controlNamed<QPushButton>(*clientArea_, "openButton"), &QPushButton::clicked, &filePanel_,
            &FilePanel::onOpenFile);
    connect(&controlNamed<QPushButton>(*clientArea_, "reloadButton"), &QPushButton::clicked, &filePanel_,
            &FilePanel::onReloadFile);
    connect(&controlNamed<RecentFilesCombo>(*clientArea_, "recentCombo"), &RecentFilesCombo::closedUp, &filePanel_,
            &FilePanel::onRecentCloseUp);

    connect(menu_.open, &QAction::triggered, &filePanel_, &FilePanel::onOpenFile);
    connect(menu_.reload, &QAction::triggered, &filePanel_, &FilePanel::onReloadFile);
    connect(menu_.close, &QAction::triggered, this, &QDialog::accept);
    connect(menu_.about, &QAction::triggered, this, [this] { dialogs_.showAbout(this); });
}

void MainDialog::startUp()
{
    showValues();
    setWindowIcon(programIcon());
    setOpenFailureHandler([this](const std::string&) { dialogs_.showMessage(this, uiText(kOpenFailureMessage)); });

    filePanel_.loadRecentFiles(recentFilesPath());

    settings_ = withShowableToggles(loadProcedureSettings(procedureSettingsFile_, configFilePath()));
    portNumber_ = settings_.portNumber();
    // The record first: the lamp turns green for a run that is on record.
    keepRecords();
    engine_.addObserver(statusPresenter_);
    if (const char* tracePath = std::getenv("ORVEX_TRACE"))
        trace_ = TraceFile::create(tracePath);
    engine_.setTrace(trace_.get());
    engine_.setPortDevices(settings_.portDevices);
    engine_.setPortNumber(portNumber_);

    resetStepLines();
    showLamp(*controls_.runLamp, runLampState_);
    showLamp(*controls_.portLamp, portLampState_);
    describePort();
    engine_.start();
    showValues();
    controlNamed<QPushButton>(*clientArea_, "executeButton").setFocus();
}

// A record that could not be written is told after the run, by a box the
// worker does not wait for.
void MainDialog::keepRecords()
{
    auto chosen = chosenRecordsTarget(std::nullopt);
    if (const auto* reason = std::get_if<std::string>(&chosen)) {
        dialogs_.showMessage(this, QString::fromStdString(*reason));
        return;
    }
    records_ = std::make_unique<RecordKeeping>(std::get<RecordsTarget>(chosen), "orvex-programmer", ORVEX_VERSION);
    if (!records_->enabled())
        return;
    records_->setOutcomeListener([this](const RecordOutcome& outcome) {
        if (!outcome.failure)
            return;
        const QString text = uiText(kRecordLostMessage) + QString::fromStdString(*outcome.failure);
        QMetaObject::invokeMethod(
            this, [this, text] { dialogs_.showMessage(this, text); }, Qt::QueuedConnection);
    });
    engine_.addObserver(records_->recorder());
    records_->startBackgroundForwarding();
}

void MainDialog::shutDown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    // From here on the worker's calls into the window return at once, so
    // waiting for it cannot deadlock.
    gate_.close();
    engine_.stop();
    records_.reset();

    readControls();
    saveProcedureSettings(procedureSettingsFile_, configFilePath(), settings_);
    filePanel_.recentFiles().save(recentFilesPath());
    setOpenFailureHandler({});
}

void MainDialog::done(int result)
{
    // The worker still uses the device and the window; the close
    // waits for the run's end.
    if (runUnderWay_) {
        closeAfterRun_ = result;
        setWindowTitle(templateText(kMainDialogCaption) + uiText(kClosingAfterRun));
        return;
    }
    shutDown();
    QDialog::done(result);
}

void MainDialog::onExecute()
{
    readControls();
    resetStepLines();
    const std::uint16_t stepSet = StepPanel::stepSetOf(settings_);

    bool fileReady = true;
    if (settings_.toggle(ProcedureStep::Reload) != 0) {
        fileReady = filePanel_.reloadCurrentFile();
        texts().setStepLine(ProcedureStep::Reload, translated(fileReady ? kReloadedLine : kReloadFailedLine));
        if (!fileReady)
            setRunLamp(LampState::Red);
    }
    fileReady = fileReady && imageMayBeSent(stepSet);
    showValues();
    if (fileReady) {
        applyEnabled(false);
        runUnderWay_ = true;
        if (records_ && records_->enabled()) {
            RunContext context;
            context.port = "COM" + std::to_string(portNumber_);
            context.device = engine_.portDevice(portNumber_);
            context.adapterSerial = adapterSerialNumber(context.device);
            records_->recorder().prepareRun(std::move(context));
        }
        engine_.requestRun({stepSet, snapshotOf(filePanel_.image())});
    }
}

bool MainDialog::imageMayBeSent(std::uint16_t stepSet)
{
    if (!usesImage(stepSet))
        return true;
    const std::optional<std::string> refusal = checkImageBeforeRun(filePanel_, dialogs_, *this);
    if (!refusal)
        return true;
    // Nothing was sent: the unit and the controls stay as they were.
    texts().setMainStatus(*refusal);
    setRunLamp(LampState::Red);
    return false;
}

void MainDialog::onStepToggle()
{
    readControls();
    resetStepLines();
}

void MainDialog::onComSelect(int)
{
    readControls();
    portNumber_ = settings_.portNumber();
    engine_.requestPortChange(portNumber_);
}

void MainDialog::resetStepLines()
{
    StepPanel::resetLines(texts(), settings_);
    showValues();
}

void MainDialog::showValues()
{
    steps_.showToggles(settings_);
    showWorkerTexts();
    filePanel_.showTexts();

    // A COM index outside the four buttons selects none of them.
    comButtons_->setExclusive(false);
    for (QAbstractButton* button : comButtons_->buttons())
        button->setChecked(comButtons_->id(button) == settings_.comIndex);
    comButtons_->setExclusive(true);
}

void MainDialog::readControls()
{
    steps_.readToggles(settings_);
    settings_.comIndex = comButtons_->checkedId();
}

void MainDialog::setRunLamp(LampState state)
{
    gate_.run([&] { showRunLamp(state); });
}

void MainDialog::portChanged(bool open, const std::string& openFailure)
{
    gate_.run([&] { showPortLamp(open ? LampState::Green : LampState::Red, openFailure); });
}

void MainDialog::runEnded(bool passed)
{
    gate_.run([&] { finishRun(passed); });
}

void MainDialog::postRefresh()
{
    display_.post();
}

void MainDialog::setProgressRange(int lower, int upper)
{
    gate_.run([&] {
        controls_.progress->setRange(lower, upper);
        // Not the old range's last position, should it be shown before the
        // worker sets the first one.
        progressPosition_ = lower;
    });
}

void MainDialog::setProgressPosition(int position)
{
    // Once per block: the worker does not wait for the bar to be drawn.
    progressPosition_ = position;
    postRefresh();
}

void MainDialog::showWorkerState()
{
    controls_.progress->setValue(progressPosition_);
    showWorkerTexts();
}

void MainDialog::showWorkerTexts()
{
    const WindowTextValues shown = texts().snapshot();
    controls_.mainStatus->setText(QString::fromStdString(shown.mainStatus));
    steps_.showLines(shown);
}

std::optional<std::string> MainDialog::chooseReadBackFile()
{
    std::optional<std::string> path;
    gate_.run([&] { path = dialogs_.chooseReadBackFile(this, readBackSaveDirectory()); });
    return path;
}

void MainDialog::reportSaveFailure(const std::string& path, const std::string& reason)
{
    const QString text = uiText(kSaveFailed).arg(QString::fromStdString(path), QString::fromStdString(reason));
    gate_.run([&] { dialogs_.showMessage(this, text); });
}

void MainDialog::showRunLamp(LampState state)
{
    if (state == runLampState_)
        return;
    runLampState_ = state;
    showLamp(*controls_.runLamp, state);
}

void MainDialog::showPortLamp(LampState state, const std::string& openFailure)
{
    portOpenFailure_ = openFailure;
    const bool changed = state != portLampState_;
    portLampState_ = state;
    describePort();
    if (changed)
        showLamp(*controls_.portLamp, state);
}

void MainDialog::describePort()
{
    // "COM1" means little on a system without COM ports: name the device,
    // and after a failed open the reason (the group to join, say).
    const QString device = QString::fromStdString(engine_.portDevice(portNumber_));
    QString outcome = uiText(portLampState_ == LampState::Green ? kPortOpen : kPortNotOpen);
    if (!portOpenFailure_.empty())
        outcome += QStringLiteral(": ") + QString::fromStdString(portOpenFailure_);
    controls_.portLamp->setToolTip(QStringLiteral("COM%1: %2 (%3)").arg(portNumber_).arg(device, outcome));
}

void MainDialog::applyEnabled(bool enabled)
{
    for (const char* name : kRunLockedControls)
        controlNamed<QWidget>(*clientArea_, name).setEnabled(enabled);
    // The file shown must stay the one the run programs and compares with.
    menu_.open->setEnabled(enabled);
    menu_.reload->setEnabled(enabled);
}

void MainDialog::finishRun(bool passed)
{
    applyEnabled(true);
    runUnderWay_ = false;
    // The run's outcome is in the texts by now; the operator sees it with
    // the controls, not a pause later.
    display_.showNow();
    closeIfAskedDuringRun(passed);
}

void MainDialog::closeIfAskedDuringRun(bool passed)
{
    if (!closeAfterRun_)
        return;
    // A run that did not end well keeps the window open on its result, for
    // the operator to read.
    if (passed) {
        QMetaObject::invokeMethod(
            this, [this, result = *closeAfterRun_] { done(result); }, Qt::QueuedConnection);
        return;
    }
    closeAfterRun_.reset();
    setWindowTitle(templateText(kMainDialogCaption));
}

#ifdef _WIN32
bool MainDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    if (!isAboutCommand(eventType, message))
        return QDialog::nativeEvent(eventType, message, result);
    dialogs_.showAbout(this);
    *result = 0;
    return true;
}
#endif

} // namespace orvex::ui
