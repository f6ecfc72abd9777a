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
// and sizes, and the list of recent files. Each way of choosing a file loads
// it once, through reloadCurrentFile. Window thread only.
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

    // Reads the recent-file list from path and loads its newest file.
    void loadRecentFiles(const std::string& path);
    // True when the current file was loaded; when it cannot be opened, whether
    // a file was chosen in the open-file dialog shown instead.
    bool reloadCurrentFile();
    // Whether the file last loaded now has another size or modification
    // time than when it was loaded; false when it is gone or none was loaded.
    bool loadedFileChanged() const;
    void showTexts();

public slots:
    // True when a file was chosen.
    bool onOpenFile();
    void onReloadFile();
    void onRecentCloseUp();

private:
    // What the file on disk was when it was loaded.
    struct FileStamp {
        std::string path;
        qint64 size = -1;
        qint64 modifiedMs = -1;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const std::string& path);

    // The name item i of the combo box shows: the i-th non-empty one.
    std::string nameOfItem(int item) const;
    // Puts path first in the recent list and the box, then loads it.
    void makeCurrentAndLoad(const std::string& path);
    // The combo box shows the recent list; nothing is loaded.
    void refillRecentCombo();
    // Size text and tooltip: what the operator must know of the loaded data.
    void describeLoadedData();

    Controls controls_;
    QWidget& dialogParent_;
    OperatorDialogs& dialogs_;
    FirmwareImage image_;
    RecentFiles recentFiles_;
    std::string currentPath_;
    std::string fileTimeText_;
    std::string fileSizeText_;
    FileStamp loadedStamp_;
};

} // namespace orvex::ui
