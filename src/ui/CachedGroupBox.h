#pragma once

#include <QGroupBox>
#include <QPixmap>
#include <QStyle>

namespace orvex::ui {

// A group box that draws its frame and title once and shows that drawing
// again until something it depends on changes. A group box is repainted
// behind every control over it that is repainted: the progress bar and the
// step texts while a run goes on, 10 times a second in the window and in
// each of the station's channels. Fusion draws the frame from a pixmap
// it looks up again each time, with a look at the time zone file, and
// spreads the scaling of it over Qt's thread pool, so that every repaint
// also woke two threads and waited for them: a cost that grew with how
// slowly the machine wakes up.
class CachedGroupBox : public QGroupBox {
    Q_OBJECT

public:
    explicit CachedGroupBox(const QString& title, QWidget* parent = nullptr) : QGroupBox(title, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What the drawing was made for; any difference draws it anew.
    struct Drawn {
        QSize size;
        qreal pixelRatio = 0;
        QString title;
        QStyle::State state;
        qint64 palette = 0;
        QString font;

        bool operator==(const Drawn&) const = default;
    };

    Drawn drawn_;
    QPixmap drawing_;
};

} // namespace orvex::ui
