#include "ui/RecentFilesCombo.h"

#include <QAbstractItemView>

namespace orvex::ui {

RecentFilesCombo::RecentFilesCombo(QWidget* parent) : QComboBox(parent)
{
    // Typed text is never used; only a chosen item counts.
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void RecentFilesCombo::hidePopup()
{
    const bool wasOpen = view()->isVisible();
    QComboBox::hidePopup();
    if (wasOpen)
        QMetaObject::invokeMethod(this, [this] { emit closedUp(); }, Qt::QueuedConnection);
}

} // namespace orvex::ui
