#pragma once

#include "image/FirmwareImage.h"
#include "settings/RecentFiles.h"

#include <QObject>

#include <string>

class QLabel;
class QWidget;

namespace orvex::ui {

class OperatorDialogs;
class RecentFilesCombo;

// The "Plik" group of the main window: the current firmware file, its time
// and sizes, and the list of recent files. Every load goes through
// reloadCurrentFile. Window thread only.
class FilePanel : public QObject {
    Q_OBJECT

public:
    struct Controls {
        RecentFilesCombo& recentCombo;
        QLabel& pathText;
        QLabel& fileTimeText;
        QLabel& fileSizeText;
    };
    FilePanel(Controls controls, QWidget& dialogParent, OperatorDialogs& dialogs);

    RecentFiles& recentFiles() { return recentFiles_; }
    const std::string& currentPath() const { return currentPath_; }
    const FirmwareImage& image() const { return image_; }

    // 1 when the current file was loaded; when it cannot be opened, the
    // outcome of the open-file dialog shown instead (1 chosen, 0 cancelled).
    int reloadCurrentFile();
    void refillRecentCombo();
    void showTexts();

public slots:
    void onOpenFile();
    void onReloadFile();
    void onRecentCloseUp();

private:
    // The name item i of the combo box shows: the i-th non-empty one.
    std::string nameOfItem(int item) const;

    Controls controls_;
    QWidget& dialogParent_;
    OperatorDialogs& dialogs_;
    FirmwareImage image_;
    RecentFiles recentFiles_;
    std::string currentPath_;
    std::string fileTimeText_;
    std::string fileSizeText_;
    int fileChosen_ = 0;
};

} // namespace orvex::ui
