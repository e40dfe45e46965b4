#include "LoginNotification.h"

#include "Notification.h"
#include "TerminationSignals.h"

#include <QEventLoop>
#include <QProcess>

namespace {

// The window, as a program of its own: the note's process ends, the window stays.
int OpenWindow(const QString &exePath, std::string &problem)
{
    if (QProcess::startDetached(exePath, {}))
        return 0;
    problem = "Das Fenster ließ sich nicht öffnen (" + exePath.toStdString() + " startet nicht).";
    return 1;
}

} // namespace

int ShowLoginNotification(const LoginNote &note, const QString &exePath, std::string &problem)
{
    DesktopNotification notification;
    if (!notification.Show(QString::fromStdString(note.title), QString::fromStdString(note.body)))
        return OpenWindow(exePath, problem);
    if (!notification.HasActions())
        return 0;
    QEventLoop loop;
    bool chosen = false;
    QObject::connect(&notification, &DesktopNotification::showChosen, &loop, [&] {
        chosen = true;
        loop.quit();
    });
    QObject::connect(&notification, &DesktopNotification::closed, &loop, &QEventLoop::quit);
    const TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &loop, &QEventLoop::quit);
    loop.exec();
    return chosen ? OpenWindow(exePath, problem) : 0;
}
