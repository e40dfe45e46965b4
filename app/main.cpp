#include "FestmarkApp.h"
#include "ListMode.h"
#include "MainFrame.h"
#include "Services.h"
#include "Sound.h"
#include "Strings.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QString::fromUtf8(ResourceString(ids::kAppName)));
    QCoreApplication::setApplicationVersion(QStringLiteral("4.1"));

    // The list mode needs no display: it never creates a GUI application.
    if (IsListModeCommandLine(argc, argv)) {
        QCoreApplication app(argc, argv);
        return RunListMode(app.arguments(), QCoreApplication::applicationFilePath(), stdout,
                           stderr);
    }

    QApplication app(argc, argv);
    // Desktops match the running window to festmark.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("festmark"));
    InstallGermanTranslations();
    MessageBoxService boxes;
    QtSoundService sounds;
    CFestmarkApp festmark(boxes, sounds);
    QString error;
    if (!festmark.InitInstance(QCoreApplication::arguments(), error)) {
        std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
        return 2;
    }
    CloseOnTerminationSignals(festmark.MainFrame());
    // The session's end quits the application; the frame then closes like from its menu.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&festmark] {
        if (CMainFrame *frame = festmark.MainFrame())
            frame->close();
    });
    return QApplication::exec();
}
