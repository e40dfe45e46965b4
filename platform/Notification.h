#pragma once

#include <QObject>
#include <QString>

// One desktop notification with the action "Anzeigen": on Linux through the session bus's
// notification service (org.freedesktop.Notifications), on Windows as the notification area's
// message (a click on it is "Anzeigen").
class DesktopNotification : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotification(QObject *parent = nullptr);
    ~DesktopNotification() override;

    // False where no notification service answers. `body` is plain text: it is escaped where
    // the service reads markup.
    bool Show(const QString &summary, const QString &body);
    // Whether the service shows actions: without them, nothing can be chosen, and there is
    // nothing to wait for.
    bool HasActions() const noexcept { return m_actions; }

signals:
    void showChosen(); // "Anzeigen", or the notification itself, was clicked
    void closed();     // dismissed, expired, or the service went away

private slots:
    void OnActionInvoked(uint id, const QString &action);
    void OnClosed(uint id, uint reason);

private:
    uint m_id = 0;
    bool m_actions = false;
#ifdef _WIN32
    void *m_window = nullptr; // the hidden window the notification area answers to
#endif
};
