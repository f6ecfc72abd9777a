#include "ui/RecentFilesCombo.h"

#include <QAbstractItemView>

namespace orvex::ui {

RecentFilesCombo::RecentFilesCombo(QWidget* parent) : QComboBox(parent)
{
    // A typed name would show one file while the unit got the one loaded
    // before; only a chosen item counts.
    setEditable(false);
}

void RecentFilesCombo::hidePopup()
{
    const bool wasOpen = view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen)
        announceClose();
}

void RecentFilesCombo::keyPressEvent(QKeyEvent* event)
{
    const int previousItem = currentIndex();
    QComboBox::keyPressEvent(event);
    announceChoiceSince(previousItem);
}

void RecentFilesCombo::wheelEvent(QWheelEvent* event)
{
    const int previousItem = currentIndex();
    QComboBox::wheelEvent(event);
    announceChoiceSince(previousItem);
}

void RecentFilesCombo::announceClose()
{
    QMetaObject::invokeMethod(
        this, [this] { emit closedUp(); }, Qt::QueuedConnection);
}

void RecentFilesCombo::announceChoiceSince(int previousItem)
{
    // With the list open, its close announces the choice.
    if (currentIndex() != previousItem && !view()->isVisible())
        announceClose();
}

} // namespace orvex::ui
