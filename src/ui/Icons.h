#pragma once

#include "notify/WorkerNotifier.h"

#include <QIcon>
#include <QPixmap>

namespace orvex::ui {

// Our own pictures, drawn from the SVG files of the resources at the size
// asked for, so they stay sharp in any layout: the red, green and blue lamps
// and the program's icon.
QPixmap lampPixmap(LampState state, int size);
QPixmap programPixmap(int size);
// The program's icon at the sizes window managers ask for.
QIcon programIcon();

} // namespace orvex::ui
