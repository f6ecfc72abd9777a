#pragma once

#include <QFrame>
#include <QString>

namespace orvex::station {

// A sunken line of text that changes many times a second, as a step's
// progress does on every channel at once. Unlike a label, a new text only
// repaints the line: its size never depends on the text (a long one is
// elided), so the window's layout is not worked out again on every change.
class StatusLine : public QFrame {
    Q_OBJECT

public:
    explicit StatusLine(QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return text_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace orvex::station
