#include "ui/FilePanel.h"

#include "image/FileReading.h"
#include "ui/FileTexts.h"
#include "ui/OperatorDialogs.h"
#include "ui/PathParts.h"
#include "ui/RecentFilesCombo.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLabel>

namespace orvex::ui {

namespace {

constexpr char kEmptyListItem[] = "_empty_";

std::time_t modificationTime(const std::string& path)
{
    return static_cast<std::time_t>(QFileInfo(QString::fromStdString(path)).lastModified().toSecsSinceEpoch());
}

void setLabel(QLabel& label, const std::string& text)
{
    label.setText(QString::fromStdString(text));
}

} // namespace

FilePanel::FilePanel(Controls controls, QWidget& dialogParent, OperatorDialogs& dialogs)
    : controls_(controls), dialogParent_(dialogParent), dialogs_(dialogs)
{
}

int FilePanel::reloadCurrentFile()
{
    if (!canOpenForReading(currentPath_)) {
        onOpenFile();
        return fileChosen_;
    }
    const std::time_t modified = modificationTime(currentPath_);
    image_.load(currentPath_);
    fileTimeText_ = fileTimeText(modified);
    fileSizeText_ = fileSizeText(image_.rawLength(), image_.dataSize());
    // The window loads a damaged HEX file as it always has; the tooltip tells
    // the operator that lines were left out.
    controls_.fileSizeText.setToolTip(QString::fromStdString(skippedLinesText(image_.loadReport())));
    showTexts();
    return 1;
}

void FilePanel::onOpenFile()
{
    fileChosen_ = 0;
    const auto chosen = dialogs_.chooseFirmwareFile(&dialogParent_, directoryOf(currentPath_));
    if (!chosen)
        return;
    currentPath_ = *chosen;
    onReloadFile();
    recentFiles_.add(currentPath_);
    refillRecentCombo();
    fileChosen_ = 1;
}

void FilePanel::onReloadFile()
{
    reloadCurrentFile();
}

void FilePanel::refillRecentCombo()
{
    RecentFilesCombo& combo = controls_.recentCombo;
    combo.clear();
    for (const std::string& name : recentFiles_.names())
        if (!name.empty())
            combo.addItem(QString::fromStdString(fileNameOf(name)));
    if (combo.count() == 0)
        combo.addItem(QString::fromLatin1(kEmptyListItem));
    combo.setCurrentIndex(0);
    currentPath_ = recentFiles_.names().front();
    showTexts();
    reloadCurrentFile();
}

void FilePanel::onRecentCloseUp()
{
    const int item = controls_.recentCombo.currentIndex();
    if (item < 0)
        return;
    currentPath_ = nameOfItem(item);
    recentFiles_.add(currentPath_);
    refillRecentCombo();
    reloadCurrentFile();
    showTexts();
}

void FilePanel::showTexts()
{
    setLabel(controls_.pathText, currentPath_);
    setLabel(controls_.fileTimeText, fileTimeText_);
    setLabel(controls_.fileSizeText, fileSizeText_);
}

std::string FilePanel::nameOfItem(int item) const
{
    int nonEmpty = 0;
    for (const std::string& name : recentFiles_.names())
        if (!name.empty() && nonEmpty++ == item)
            return name;
    return {};
}

} // namespace orvex::ui
