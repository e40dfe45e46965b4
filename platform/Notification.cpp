#include "Notification.h"

#ifndef _WIN32
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

} // namespace

DesktopNotification::DesktopNotification(QObject *parent)
    : QObject(parent)
{
}

bool DesktopNotification::Show(const QString &summary, const QString &body)
{
#ifdef _WIN32
    Q_UNUSED(summary)
    Q_UNUSED(body)
    return false;
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
