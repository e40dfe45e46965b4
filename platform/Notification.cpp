#include "Notification.h"

#include <cstddef>

#ifdef _WIN32
#include <windows.h>

#include <shellapi.h>
#else
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>
#endif

namespace {

#ifndef _WIN32
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// At login the service may still be starting; a hung one must not hold the login up longer.
constexpr int kCallTimeoutMs = 10000;
#endif

#ifdef _WIN32
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT kIconId = 1;
const wchar_t *const kWindowClass = L"FestmarkNotification";

// The text into a fixed field of the icon's data, cut where it would not fit.
template <std::size_t N> void CopyInto(wchar_t (&field)[N], const QString &text)
{
    const QString cut = text.left(static_cast<qsizetype>(N) - 1);
    const auto length = static_cast<std::size_t>(cut.toWCharArray(field));
    field[length] = L'\0';
}
#endif

} // namespace

#ifdef _WIN32
// The hidden window's messages: the notification area says when its message was clicked or
// went away; Qt's event loop dispatches them to it.
struct TrayWindow {
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto *owner =
            reinterpret_cast<DesktopNotification *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (owner != nullptr && message == kTrayMessage) {
            switch (LOWORD(lParam)) {
            case NIN_BALLOONUSERCLICK:
            case WM_LBUTTONUP:
                emit owner->showChosen();
                break;
            case NIN_BALLOONTIMEOUT:
            case NIN_BALLOONHIDE:
                emit owner->closed();
                break;
            default:
                break;
            }
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
};
#endif

DesktopNotification::DesktopNotification(QObject *parent)
    : QObject(parent)
{
}

DesktopNotification::~DesktopNotification()
{
#ifdef _WIN32
    if (m_window != nullptr) {
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = static_cast<HWND>(m_window);
        icon.uID = kIconId;
        Shell_NotifyIconW(NIM_DELETE, &icon);
        DestroyWindow(static_cast<HWND>(m_window));
    }
#endif
}

bool DesktopNotification::Show(const QString &summary, const QString &body)
{
#ifdef _WIN32
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TrayWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass); // fails harmlessly when it is registered already
    const HWND window = CreateWindowExW(0, kWindowClass, L"Festmark", 0, 0, 0, 0, 0, nullptr,
                                        nullptr, instance, nullptr);
    if (window == nullptr)
        return false;
    m_window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = kIconId;
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_INFO | NIF_MESSAGE;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = LoadIconW(instance, L"IDI_ICON1");
    if (icon.hIcon == nullptr)
        icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    CopyInto(icon.szTip, QStringLiteral("Festmark"));
    CopyInto(icon.szInfoTitle, summary);
    CopyInto(icon.szInfo, body);
    icon.dwInfoFlags = NIIF_INFO;
    if (Shell_NotifyIconW(NIM_ADD, &icon) == FALSE) // no notification area: no taskbar runs
        return false;
    m_actions = true;
    return true;
#else
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusInterface service(kService, kPath, kInterface, bus);
    service.setTimeout(kCallTimeoutMs);
    const QDBusReply<QStringList> capabilities = service.call(QStringLiteral("GetCapabilities"));
    if (!capabilities.isValid())
        return false;
    m_actions = capabilities.value().contains(QStringLiteral("actions"));
    // Names are the user's text: "<" in one must not become markup.
    const bool markup = capabilities.value().contains(QStringLiteral("body-markup"));
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(OnClosed(uint, uint)));
    auto *watcher =
        new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForUnregistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &DesktopNotification::closed);
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), QStringLiteral("de.orvanta.festmark")}};
    const QDBusReply<uint> id =
        service.call(QStringLiteral("Notify"), QStringLiteral("Festmark"), uint{0},
                     QStringLiteral("festmark"), summary, markup ? body.toHtmlEscaped() : body,
                     // "default" is a click on the notification itself; "show" its button.
                     QStringList{QStringLiteral("default"), QStringLiteral("Anzeigen"),
                                 QStringLiteral("show"), QStringLiteral("Anzeigen")},
                     hints, -1);
    if (!id.isValid())
        return false;
    m_id = id.value();
    return true;
#endif
}

void DesktopNotification::OnActionInvoked(uint id, const QString &action)
{
    if (id == m_id && (action == QLatin1String("default") || action == QLatin1String("show")))
        emit showChosen();
}

void DesktopNotification::OnClosed(uint id, uint /*reason*/)
{
    if (id == m_id)
        emit closed();
}
