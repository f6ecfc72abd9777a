#pragma once

#include <QComboBox>

namespace orvex::ui {

// The recent-files list: a combo box that says when its drop-down list
// closes, whether or not the selection changed, and when a key or the wheel
// chose another item without it. Nothing can be typed into it: what it shows
// is always a file of the list, the one the window loaded.
class RecentFilesCombo : public QComboBox {
    Q_OBJECT

public:
    explicit RecentFilesCombo(QWidget* parent = nullptr);

    void hidePopup() override;

signals:
    // Queued after the combo box has finished with the close, so a handler
    // may refill it.
    void closedUp();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void announceClose();
    // After a key or the wheel: a choice made without the list counts as one
    // made in it.
    void announceChoiceSince(int previousItem);
};

} // namespace orvex::ui
