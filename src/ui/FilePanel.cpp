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

void setLabel(QLabel& label, const std::string& text)
{
    label.setText(QString::fromStdString(text));
}

// The whole of a text its label cuts, and nothing over one it shows whole.
void setCutTextTooltip(QLabel& label)
{
    const bool cut = label.fontMetrics().horizontalAdvance(label.text()) > label.contentsRect().width();
    label.setToolTip(cut ? label.text() : QString());
}

std::string joinedLines(const std::string& first, const std::string& second)
{
    return first.empty() || second.empty() ? first + second : first + "\n" + second;
}

} // namespace

FilePanel::FilePanel(Controls controls, QWidget& dialogParent, OperatorDialogs& dialogs)
    : controls_(controls), dialogParent_(dialogParent), dialogs_(dialogs)
{
}

void FilePanel::loadRecentFiles(const std::string& path)
{
    recentFiles_.load(path);
    refillRecentCombo();
    currentPath_ = recentFiles_.names().front();
    showTexts();
    reloadCurrentFile();
}

bool FilePanel::reloadCurrentFile()
{
    if (!canOpenForReading(currentPath_))
        return onOpenFile();
    // Taken before the read: a change while reading shows at the next run.
    loadedStamp_ = stampOf(currentPath_);
    image_.load(currentPath_);
    fileTimeText_ = fileTimeText(static_cast<std::time_t>(loadedStamp_.modifiedMs / 1000));
    describeLoadedData();
    showTexts();
    return true;
}

bool FilePanel::loadedFileChanged() const
{
    if (loadedStamp_.path.empty())
        return false;
    const FileStamp now = stampOf(loadedStamp_.path);
    return now.size >= 0 && now != loadedStamp_;
}

FilePanel::FileStamp FilePanel::stampOf(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        return {path};
    return {path, info.size(), info.lastModified().toMSecsSinceEpoch()};
}

void FilePanel::describeLoadedData()
{
    fileSizeText_ = fileSizeText(image_.rawLength(), image_.dataSize());
    // The window loads a damaged HEX file as it always has, and shows a file
    // too large for the chip; the tooltip says what is wrong with either.
    const std::string oversize = oversizeText(image_.dataSize());
    controls_.fileSizeText.setToolTip(
        QString::fromStdString(joinedLines(skippedLinesText(image_.loadReport()), oversize)));
    controls_.fileSizeText.setStyleSheet(oversize.empty() ? QString() : QStringLiteral("color: red"));
}

bool FilePanel::onOpenFile()
{
    const auto chosen = dialogs_.chooseFirmwareFile(&dialogParent_, directoryOf(currentPath_));
    if (!chosen)
        return false;
    makeCurrentAndLoad(*chosen);
    return true;
}

void FilePanel::makeCurrentAndLoad(const std::string& path)
{
    currentPath_ = path;
    recentFiles_.add(currentPath_);
    refillRecentCombo();
    reloadCurrentFile();
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
        if (!name.empty()) {
            combo.addItem(QString::fromStdString(fileNameOf(name)));
            combo.setItemData(combo.count() - 1, QString::fromStdString(name), Qt::ToolTipRole);
        }
    if (combo.count() == 0)
        combo.addItem(QString::fromLatin1(kEmptyListItem));
    combo.setCurrentIndex(0);
}

void FilePanel::onRecentCloseUp()
{
    const int item = controls_.recentCombo.currentIndex();
    if (item >= 0)
        makeCurrentAndLoad(nameOfItem(item));
}

void FilePanel::showTexts()
{
    setLabel(controls_.pathText, currentPath_);
    setCutTextTooltip(controls_.pathText);
    controls_.recentCombo.setToolTip(QString::fromStdString(currentPath_));
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
