#pragma once

#include "engine/ProgrammerEngine.h"
#include "engine/StatusPresenter.h"
#include "link/TraceFile.h"
#include "notify/PortObserver.h"
#include "notify/ReadBackPrompt.h"
#include "notify/WorkerNotifier.h"
#include "records/RecordKeeping.h"
#include "settings/ProcedureSettings.h"
#include "settings/SettingsFile.h"
#include "ui/DisplayThrottle.h"
#include "ui/FilePanel.h"
#include "ui/MainMenu.h"
#include "ui/StepPanel.h"
#include "ui/WindowThreadGate.h"

#include <QDialog>

#include <array>
#include <atomic>
#include <memory>
#include <optional>

class QButtonGroup;
class QLabel;
class QProgressBar;
class QPushButton;

namespace orvex::ui {

class OperatorDialogs;

// The whole user interface: the file panel, the seven step toggles with
// their status lines, the execute button, the status area with the progress
// bar, the COM port choice and two lamps. It starts the worker, hands it
// requests, and shows what the worker does: it is the notifier of the run's
// presenter, the read-back prompt and the port observer, whose operations the
// worker calls from its own thread.
//
// Start-up (the constructor) reads the recent files and loads the newest,
// reads the procedure settings and starts the worker; closing saves both
// settings files. A close asked for during a run takes effect when the run
// has ended well; the caption says so meanwhile.
class MainDialog : public QDialog, public WorkerNotifier, public ReadBackPrompt, public PortObserver {
    Q_OBJECT

public:
    // The program directory must be known before.
    explicit MainDialog(OperatorDialogs& dialogs, QWidget* parent = nullptr);
    ~MainDialog() override;

    void setRunLamp(LampState state) override;
    void portChanged(bool open, const std::string& openFailure) override;
    void runEnded(bool passed) override;
    void postRefresh() override;
    void setProgressRange(int lower, int upper) override;
    void setProgressPosition(int position) override;
    std::optional<std::string> chooseReadBackFile() override;
    void reportSaveFailure(const std::string& path, const std::string& reason) override;
    bool offersSaveAgain() const override { return true; }

    void done(int result) override;

#ifdef _WIN32
protected:
    // The About item of the system menu.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    void buildWindow();
    void connectHandlers();
    void startUp();
    void keepRecords();
    void shutDown();

    void onExecute();
    // False, with the reason shown, for a run that must not send the image.
    bool imageMayBeSent(std::uint16_t stepSet);
    void onStepToggle();
    void onComSelect(int comIndex);
    // The worker's latest texts and progress position onto the screen, and
    // nothing else: during a run only the worker changes anything shown.
    void showWorkerState();
    void showWorkerTexts();
    void resetStepLines();

    // The window's data exchange: member values into the controls, and the
    // controls' states back into the values.
    void showValues();
    void readControls();

    // The controls the window works with at every refresh and block, found
    // once in the template.
    struct Controls {
        QLabel* mainStatus = nullptr;
        QProgressBar* progress = nullptr;
        QLabel* runLamp = nullptr;
        QLabel* portLamp = nullptr;
    };
    static Controls findControls(const QWidget& clientArea);

    void showRunLamp(LampState state);
    void showPortLamp(LampState state, const std::string& openFailure);
    // The port lamp's tooltip: the device behind the chosen COM port.
    void describePort();
    void applyEnabled(bool enabled);
    void finishRun(bool passed);
    void closeIfAskedDuringRun(bool passed);

    OperatorDialogs& dialogs_;
    WindowThreadGate gate_;
    QWidget* clientArea_;
    Controls controls_;
    StepPanel steps_;
    MainMenu menu_;
    QButtonGroup* comButtons_;
    ProgrammerEngine engine_{*this, *this};
    StatusPresenter statusPresenter_{*this};
    // Made at start-up, once config.cfg can say where records go; none when
    // its RECORDS cannot be used.
    std::unique_ptr<RecordKeeping> records_;
    // ORVEX_TRACE names a file for every frame of the session.
    std::unique_ptr<TraceFile> trace_;
    FilePanel filePanel_;
    SettingsFile procedureSettingsFile_;
    ProcedureSettings settings_;
    LampState runLampState_ = LampState::Blue;
    LampState portLampState_ = LampState::Red;
    std::string portOpenFailure_;
    int portNumber_ = 1;
    DisplayThrottle display_{[this] { showWorkerState(); }, this};
    std::atomic<int> progressPosition_{0};
    bool runUnderWay_ = false;
    std::optional<int> closeAfterRun_;
    bool shutDown_ = false;
};

} // namespace orvex::ui
