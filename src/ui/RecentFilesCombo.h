#pragma once

#include <QComboBox>

namespace orvex::ui {

// The recent-files list: a combo box that says when its drop-down list
// closes, whether or not the selection changed.
class RecentFilesCombo : public QComboBox {
    Q_OBJECT

public:
    explicit RecentFilesCombo(QWidget* parent = nullptr);

    void hidePopup() override;

signals:
    // Queued after the combo box has finished with the close, so a handler
    // may refill it.
    void closedUp();
};

} // namespace orvex::ui
