#include "ui/SystemMenu.h"

#include <QByteArray>
#include <QWidget>

#include <windows.h>

namespace orvex::ui {

namespace {

constexpr wchar_t kAboutItemText[] = L"&About Quarnel...";
constexpr WPARAM kSystemBitsMask = 0xFFF0;

} // namespace

void appendAboutItem(QWidget& window)
{
    HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(window.winId()), FALSE);
    if (systemMenu == nullptr)
        return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, kAboutSystemCommand, kAboutItemText);
}

bool isAboutCommand(const QByteArray& eventType, void* message)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const auto* msg = static_cast<const MSG*>(message);
    return msg->message == WM_SYSCOMMAND && (msg->wParam & kSystemBitsMask) == kAboutSystemCommand;
}

} // namespace orvex::ui
