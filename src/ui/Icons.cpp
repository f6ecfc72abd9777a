#include "ui/Icons.h"

#include <QPainter>
#include <QSvgRenderer>

// The resources live in this static library; naming their initialiser here
// links them into every program that draws an icon.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace orvex::ui {

namespace {

QPixmap render(const char* resource, int size)
{
    initIconResources();
    QSvgRenderer renderer(QString::fromLatin1(resource));
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

const char* lampResource(LampState state)
{
    switch (state) {
    case LampState::Red:
        return ":/orvex/icons/lamp-red.svg";
    case LampState::Green:
        return ":/orvex/icons/lamp-green.svg";
    case LampState::Blue:
        break;
    }
    return ":/orvex/icons/lamp-blue.svg";
}

} // namespace

QPixmap lampPixmap(LampState state, int size)
{
    return render(lampResource(state), size);
}

QPixmap programPixmap(int size)
{
    return render(":/orvex/icons/orvex.svg", size);
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64})
        icon.addPixmap(programPixmap(size));
    return icon;
}

} // namespace orvex::ui
