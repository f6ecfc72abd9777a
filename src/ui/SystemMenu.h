#pragma once

// The About item of the main window's system menu: Windows only, since the
// window managers of other systems give a program no system menu to extend.

class QByteArray;
class QWidget;

namespace orvex::ui {

inline constexpr unsigned kAboutSystemCommand = 16;

// A separator and "&About Quarnel..." at the end of window's system menu.
void appendAboutItem(QWidget& window);
// Whether a native message is that item's command; the low four bits of a
// system command belong to the system, so 16 to 31 all match.
bool isAboutCommand(const QByteArray& eventType, void* message);

} // namespace orvex::ui
